#include "ModalDriver.h"

#include "forms/FileDialog.h"
#include "forms/MessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <list>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct Expected
{
    QPointer<QWidget> current;
    const QMetaObject* type;
};

// What the queued steps wait for; a dialog none of them matches was not expected.
std::list<Expected>& expectations()
{
    static std::list<Expected> list;
    return list;
}

bool matches(const Expected& expected, QWidget* dialog)
{
    return dialog != expected.current.data() && dialog->metaObject()->inherits(expected.type);
}

QString describe(QDialog* dialog)
{
    QString text;
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        text = box->text();
    else
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            text += label->text() + QLatin1Char(' ');
    return u"Unexpected dialog %1 \"%2\": %3"_s.arg(QString::fromLatin1(dialog->metaObject()->className()),
                                                    dialog->windowTitle(), text.trimmed());
}

// Watches every dialog shown with exec(): those set modal just before they show.
class UnexpectedDialogGuard : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isModal() || !dialog->isWindow())
            return false;
        for (const Expected& expected : expectations()) {
            if (matches(expected, dialog))
                return false;
        }
        QTest::qFail(qPrintable(describe(dialog)), __FILE__, __LINE__);
        QTimer::singleShot(0, dialog, &QDialog::reject);
        return false;
    }
};

void installGuard()
{
    auto* guard = new UnexpectedDialogGuard;
    guard->setParent(qApp); // goes with the application
    qApp->installEventFilter(guard);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installGuard)

namespace {

// A queued step: polls for its dialog, runs once, then goes.
class PendingStep : public QObject
{
public:
    PendingStep(ModalStep step, QWidget* current, const QMetaObject& type, std::shared_ptr<bool> seen)
        : QObject(qApp), m_step(std::move(step)), m_seen(std::move(seen)),
          m_expected(expectations().insert(expectations().end(), Expected{current, &type}))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &PendingStep::poll);
        m_timer.start();
    }
    ~PendingStep() override
    {
        if (m_expected != expectations().end())
            expectations().erase(m_expected);
    }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !matches(*m_expected, modal))
            return;
        m_timer.stop();
        expectations().erase(std::exchange(m_expected, expectations().end()));
        if (m_seen)
            *m_seen = true;
        const QPointer<QWidget> dialog = modal;
        const ModalStep step = std::exchange(m_step, nullptr);
        deleteLater();
        step(static_cast<QDialog*>(modal));
        if (QTest::currentTestFailed() && dialog && dialog->isVisible())
            static_cast<QDialog*>(dialog.data())->reject();
    }

    QTimer m_timer;
    ModalStep m_step;
    std::shared_ptr<bool> m_seen;
    std::list<Expected>::iterator m_expected;
};

} // namespace

void whenModalShown(ModalStep step, QWidget* current, const QMetaObject& type)
{
    new PendingStep(std::move(step), current, type, nullptr);
}

void ModalDriver::onNextDialog(ModalStep step, const QMetaObject& type)
{
    cancel();
    m_seen = std::make_shared<bool>(false);
    m_pending = new PendingStep(std::move(step), nullptr, type, m_seen);
}

void ModalDriver::cancel()
{
    delete m_pending.data();
}

void forgetShownDialogs()
{
    MessageBox::takeShown();
    FileDialog::takeShownTitles();
}

void closeDialogs(bool queuesUsed)
{
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QCoreApplication::processEvents();
    }
    const bool answersLeft = MessageBox::hasPendingAnswers();
    const bool resultsLeft = FileDialog::hasPendingResults();
    MessageBox::setNextAnswers({});
    FileDialog::setNextResults({});
    if (queuesUsed) {
        QVERIFY2(!answersLeft, "a message box that was expected did not show");
        QVERIFY2(!resultsLeft, "a file dialog that was expected did not show");
    }
}

MessageBox::Shown takeOneBox(const QString& caption, const QString& text, QMessageBox::Icon icon,
                             QMessageBox::StandardButtons buttons)
{
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    if (!QTest::qCompare(shown.size(), qsizetype(1), "message boxes shown", "1", __FILE__, __LINE__))
        return {};
    // Stops at the first difference, as QCOMPARE does.
    const MessageBox::Shown box = shown.first();
    if (!caption.isEmpty() &&
        !QTest::qCompare(box.caption, caption, "caption", "expected", __FILE__, __LINE__))
        return box;
    if (!text.isEmpty() && !QTest::qCompare(box.text, text, "text", "expected", __FILE__, __LINE__))
        return box;
    if (icon != QMessageBox::NoIcon &&
        !QTest::qCompare(box.icon, icon, "icon", "expected", __FILE__, __LINE__))
        return box;
    if (buttons != QMessageBox::NoButton)
        QTest::qCompare(box.buttons, buttons, "buttons", "expected", __FILE__, __LINE__);
    return box;
}
