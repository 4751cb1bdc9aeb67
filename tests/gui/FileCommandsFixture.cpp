#include "FileCommandsFixture.h"

#include "app/StatusPanel.h"
#include "document/NotesModel.h"
#include "document/QltFormat.h"
#include "forms/EnterPassFormU.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

QByteArray gb(const QString& text)
{
    return AnsiText::fromUnicode(text);
}

Note note(const QString& text, const QString& priority, bool done)
{
    return Note{gb(text), gb(priority), done ? Note::ImageDone : Note::ImageNotDone};
}

bool isSaveFailure(const QString& text)
{
    const QString message = QStringLiteral("保存文件时发生错误。文件可能正在被使用。\n");
    return text.startsWith(message) && text.size() > message.size() &&
           !text.endsWith(QFile().errorString()); // Qt's "Unknown error" says nothing
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray notesFile(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    return QltFormat::write(notes, password, reserved);
}

QList<Note> notesIn(const QString& path, const QByteArray& password)
{
    const QByteArray bytes = fileBytes(path);
    if (QltFormat::readHeader(bytes).error != QltFormat::Error::None)
        return {};
    return QltFormat::readNotes(bytes.mid(QltFormat::StreamOffset), QltFormat::streamKey(password))
        .value_or(QList<Note>());
}

void WindowHarness::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void WindowHarness::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir->path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    MessageBox::takeShown();
    FileDialog::takeShownTitles();
}

void WindowHarness::cleanup()
{
    driver.cancel();
    while (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    MessageBox::setNextAnswers({});
    FileDialog::setNextResults({});
    m_form.reset();
    m_dir.reset();
}

void WindowHarness::createForm(const QStringList& arguments)
{
    m_form.reset();
    m_form = std::make_unique<TMainForm>(arguments);
    m_form->show();
    m_form->activateWindow();
    // A dialog shown by the first activation takes the activation with it when it closes.
    if (!QTest::qWaitForWindowActive(m_form.get())) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
}

NotesModel& WindowHarness::model() const
{
    return m_form->document().model();
}

QAction* WindowHarness::act(const char* name) const
{
    return m_form->findChild<QAction*>(QLatin1String(name));
}

QMenu* WindowHarness::menu(const char* name) const
{
    return m_form->findChild<QMenu*>(QLatin1String(name));
}

QString WindowHarness::panel(int index) const
{
    return m_form->statusPanel(index)->text();
}

QString WindowHarness::path(const QString& name) const
{
    return QDir::toNativeSeparators(QDir(m_dir->path()).filePath(name));
}

void WindowHarness::writeIni(const QString& section, const QString& key, const QString& value)
{
    IniFile(path(QStringLiteral("Quillet.ini"))).WriteString(section, key, value);
}

void WindowHarness::seed(const QList<Note>& notes, bool modified)
{
    model().appendNotes(notes);
    m_form->CountNotes();
    m_form->SetModified(modified);
}

void WindowHarness::answerPassword(const QString& typed, bool ok, QString* prefilled)
{
    driver.onNextDialog([=](QDialog* dialog) {
        auto* form = qobject_cast<TEnterPassForm*>(dialog);
        if (!form)
            return dialog->reject();
        if (prefilled)
            *prefilled = form->Pass->text();
        form->Pass->clear();
        QTest::keyClicks(form->Pass, typed);
        QTest::mouseClick(ok ? form->OkBtn : form->CancelBtn, Qt::LeftButton);
        // A refused password keeps the dialog open; closing it lets the test fail instead of hanging.
        if (form->isVisible())
            form->reject();
    });
}
