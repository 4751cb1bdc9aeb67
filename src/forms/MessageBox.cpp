#include "forms/MessageBox.h"

#include "forms/TitleWidth.h"
#include "shared/DebugLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>

#include <utility>

namespace MessageBox {
namespace {

struct TestQueue
{
    QList<QMessageBox::StandardButton> answers;
    QList<Shown> shown;
};

TestQueue& testQueue()
{
    static TestQueue queue;
    return queue;
}

// What a box closed by Esc or its close box counts as.
QMessageBox::StandardButton escapeAnswer(QMessageBox& box, QMessageBox::StandardButtons buttons)
{
    if (buttons.testFlag(QMessageBox::Cancel))
        return QMessageBox::Cancel;
    if (QAbstractButton* escape = box.escapeButton())
        return box.standardButton(escape);
    return QMessageBox::NoButton;
}

// A box without an owner is a window of its own, which a Wayland compositor places anywhere: it goes
// over the dialog in use, else over the program's window.
QWidget* defaultOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    }
    return nullptr;
}

} // namespace

QMessageBox::StandardButton show(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton, const QList<ButtonText>& texts)
{
    TestQueue& queue = testQueue();
    if (!queue.answers.isEmpty()) {
        queue.shown.append({icon, caption, text, buttons, defaultButton});
        return queue.answers.takeFirst();
    }

    QMessageBox box(icon, caption, text, buttons, owner ? owner : defaultOwner());
    TitleWidth::fit(box);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    for (const auto& [button, label] : texts) {
        if (QAbstractButton* shown = box.button(button))
            shown->setText(label);
    }
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton())
        return box.standardButton(clicked);
    return escapeAnswer(box, buttons);
}

void setNextAnswers(const QList<QMessageBox::StandardButton>& answers)
{
    testQueue().answers = answers;
}

bool hasPendingAnswers()
{
    return !testQueue().answers.isEmpty();
}

QList<Shown> takeShown()
{
    return std::exchange(testQueue().shown, {});
}

} // namespace MessageBox

namespace SharedSrc {

void ErrorMsg(const QString& text)
{
    DebugLog("SharedSrc.ErrorMsg");
    MessageBox::show(nullptr, QMessageBox::Critical, QStringLiteral("错误"), text, QMessageBox::Ok);
}

} // namespace SharedSrc
