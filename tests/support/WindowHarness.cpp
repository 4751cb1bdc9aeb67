#include "WindowHarness.h"

#include "forms/AccessibleNames.h"

#include "ProgramFolders.h"
#include "TestFiles.h"

#include "app/StatusPanel.h"
#include "document/NotesDocument.h"
#include "document/NotesModel.h"
#include "forms/EnterPassFormU.h"
#include "shared/AnsiText.h"
#include "shared/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

void WindowHarness::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    AccessibleNames::install(); // as the program does at start
}

void WindowHarness::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(useProgramFolders(m_dir->path()));
    forgetShownDialogs();
}

void WindowHarness::cleanup()
{
    driver.cancel();
    closeDialogs(queuesUsed);
    m_form.reset();
    m_dir.reset();
}

void WindowHarness::createForm(const QStringList& arguments)
{
    m_form.reset();
    m_form = std::make_unique<TMainForm>(arguments);
    if (startsAsTheProgram) {
        m_form->showAtStart();
        if (!m_form->isVisible() || m_form->isMinimized())
            return;
    } else {
        m_form->show();
    }
    // A dialog shown by the first activation takes the activation with it when it closes.
    QVERIFY(QTest::qWaitFor([this] {
        if (!m_form->isActiveWindow() && !QApplication::activeModalWidget())
            m_form->activateWindow();
        return m_form->isActiveWindow();
    }));
}

const NotesModel& WindowHarness::model() const
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

QString WindowHarness::paneText() const
{
    return m_form->findChild<QPlainTextEdit*>(u"NoteText"_s)->toPlainText();
}

QStringList WindowHarness::texts() const
{
    QStringList result;
    for (const Note& note : model().notes())
        result.append(AnsiText::toUnicode(note.text));
    return result;
}

QString WindowHarness::path(const QString& name) const
{
    return QDir::toNativeSeparators(QDir(m_dir->path()).filePath(name));
}

QString WindowHarness::iniText() const
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? AnsiText::toUnicode(file.readAll()) : QString();
}

QString WindowHarness::errorLog() const
{
    return AnsiText::toUnicode(readFile(path(u"ErrorLog.txt"_s)));
}

void WindowHarness::writeIni(const QString& section, const QString& key, const QString& value)
{
    IniFile(iniPath()).WriteString(section, key, value);
}

void WindowHarness::seed(const QList<Note>& notes, bool modified)
{
    // As kept for recovery: the rows are added to the document's, which keeps its file and password and
    // starts a new history.
    NotesDocument& document = m_form->document();
    const QString kept = path(u"seed.qlt"_s);
    QVERIFY(writeFile(kept, notesFile(document.notes() + notes, document.password())));
    struct Known : NotesDocument::OpenQuestions
    {
        explicit Known(const QByteArray& password) : m_password(password) {}
        std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override { return m_password; }
        QByteArray m_password;
    } known(document.password());
    QCOMPARE(document.recover(kept, known).status, NotesDocument::OpenStatus::Opened);
    QFile::remove(kept);
    m_form->CountNotes();
    m_form->SetModified(modified);
}

void WindowHarness::answerPassword(const QString& typed, bool ok, QString* prefilled)
{
    driver.onNextDialog(
        [=](QDialog* dialog) {
            auto* form = static_cast<TEnterPassForm*>(dialog);
            if (prefilled)
                *prefilled = form->Pass->text();
            form->Pass->clear();
            QTest::keyClicks(form->Pass, typed);
            QTest::mouseClick(ok ? form->OkBtn : form->CancelBtn, Qt::LeftButton);
            // A refused password keeps the dialog open; closing it lets the test fail instead of hanging.
            if (form->isVisible())
                form->reject();
        },
        TEnterPassForm::staticMetaObject);
}

void givePassword(TMainForm& form, const QByteArray& password, Protection::Kind kind)
{
    NotesDocument& document = form.document();
    const bool modified = document.isModified();
    document.changePassword(document.password(), password, password, kind, KeyDerivation::Lowest);
    document.setModified(modified);
}

bool isSaveFailure(const QString& text)
{
    const QString message = u"保存文件时发生错误。文件可能正在被使用。\n"_s;
    return text.startsWith(message) && text.size() > message.size() &&
           !text.endsWith(QFile().errorString()); // Qt's "Unknown error" says nothing
}
