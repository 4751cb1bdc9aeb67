#include "app/MainFormU.h"

#include "app/StatusPanel.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "document/RecoveryFiles.h"
#include "forms/EnterPassFormU.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/CommandLine.h"
#include "shared/DebugLog.h"
#include "shared/IniFile.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QStatusBar>

#include <optional>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

// Whether a command-line argument names a folder as well as a file. A bare name is looked for in the
// current folder first, as a terminal user means, then beside the program.
bool hasFolderPart(const QString& path)
{
#ifdef Q_OS_WIN
    return path.contains(QLatin1Char('\\')) || path.contains(QLatin1Char(':')) ||
           path.contains(QLatin1Char('/'));
#else
    return path.contains(QLatin1Char('/'));
#endif
}

} // namespace

// Shown while a file is read or written, which the window would otherwise not paint until done.
void TMainForm::showWorking(const QString& text)
{
    repaint();
    statusPanel(PanelFolder)->setText(text);
    StatusBar->repaint();
}

// A sort or an import of a long list takes a while: the window is painted first, without the dialog that
// asked for it, and the cursor says it is busy until the guard goes.
TMainForm::BusyCursor TMainForm::busyCursor()
{
    repaint();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard(std::function<void()>([] { QGuiApplication::restoreOverrideCursor(); }));
}

// What opening a file asks through the window: the second-window warning and the password dialog.
class TMainForm::OpenFileQuestions : public NotesDocument::OpenQuestions
{
public:
    // With `tryFirst`, a password that opens the file is taken without the dialog.
    OpenFileQuestions(TMainForm& window, const QByteArray& password, bool tryFirst = false)
        : m_window(window), m_password(password), m_tryFirst(tryFirst)
    {}

    bool openDespiteLock() override
    {
        const bool open =
            MessageBox::show(&m_window, QMessageBox::Warning, QStringLiteral("确认"),
                             QStringLiteral("该文件已在另一个 Quillet 窗口中打开。\n"
                                            "两个窗口保存同一个文件时会互相覆盖对方的更改。\n"
                                            "仍要打开吗?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        m_window.m_declinedHeldFile = !open && m_window.CmdLineOpen;
        return open;
    }

    std::optional<QByteArray> password(const NotesDocument::PasswordTest& test) override
    {
        if (m_tryFirst && !m_password.isEmpty() && test(m_password) == NotesDocument::PasswordFit::Opens)
            return m_password;
        // The busy cursor of an import is not the dialog's: the user has the word.
        const bool busy = QGuiApplication::overrideCursor() != nullptr;
        if (busy)
            QGuiApplication::restoreOverrideCursor();
        const auto busyAgain = qScopeGuard([busy] {
            if (busy)
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        });
        TEnterPassForm dialog(&m_window, m_window.font(), m_window.image(Images::Password));
        if (m_window.CmdLineOpen)
            dialog.centerOnScreen();
        dialog.setPasswordTest(test);
        dialog.setPassword(m_password);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.password();
    }

private:
    TMainForm& m_window;
    const QByteArray m_password;
    const bool m_tryFirst;
};

// The file, once read and checked, replaces the notes through the New command, which asks nothing: the
// caller has dealt with unsaved changes and cleared the modified mark. Should the save question come all
// the same and be refused, the file must not be mixed into the notes that stay.
NotesDocument::OpenResult TMainForm::openReplacing(const QString& fileName, OpenFileQuestions& questions)
{
    NotesDocument::Opening opening = m_document->startOpen(fileName, questions);
    if (opening.result().status != NotesDocument::OpenStatus::Opened)
        return opening.result();
    FileNewCmdExecute();
    if (GetModified()) {
        NotesDocument::OpenResult declined = opening.result();
        declined.status = NotesDocument::OpenStatus::Cancelled;
        return declined;
    }
    statusPanel(PanelFolder)->setText(QStringLiteral("正在打开..."));
    return m_document->finishOpen(std::move(opening), questions);
}

// Loads a notes file as the document, or appends its notes (`merge`). Every failure is reported here.
TMainForm::OpenOutcome TMainForm::OpenFile(const QString& fileName, const QByteArray& password, bool silent,
                                           bool merge)
{
    DebugLog("TMainForm.OpenFile");
    showWorking(QStringLiteral("正在打开..."));
    OpenFileQuestions questions(*this, password);
    const NotesDocument::OpenResult result =
        merge ? m_document->merge(fileName, questions) : openReplacing(fileName, questions);
    const bool loaded = result.status == NotesDocument::OpenStatus::Opened;
    if (!loaded && !(silent && result.status == NotesDocument::OpenStatus::Missing)) {
        if (const QString message = DocumentMessages::openFailure(result, fileName); !message.isEmpty())
            ErrorMsg(message);
    }
    if (loaded) {
        // An import, too, puts the document's file first; an open did so as the file became the document's.
        if (merge)
            addToRecentFiles(m_document->fileName());
        FixScrollbars();
    }
    // Every open ends showing the document's file, in place of the working text.
    SetFileInfo(m_document->fileName());
    if (!loaded)
        return result.documentReset ? OpenOutcome::Reset : OpenOutcome::Untouched;
    if (!merge)
        offerRecovery(RecoveryFiles::pathFor(m_document->fileName()));
    return OpenOutcome::Loaded;
}

// What a window made to end kept (keepUnsavedNotes) comes back once its file is open again, or at a start
// without a file for a list that had none. Declined, it is gone; not read (no password given, damaged),
// it stays for the next time.
void TMainForm::offerRecovery(const QString& recoveryPath)
{
    if (recoveryPath.isEmpty() || !QFileInfo::exists(recoveryPath))
        return;
    const QString whose =
        m_document->fileName().isEmpty() ? QStringLiteral("一个未命名的列表") : QStringLiteral("该文件");
    if (MessageBox::show(this, QMessageBox::Question, QStringLiteral("确认"),
                         QStringLiteral("Quillet 上次被结束时, ") + whose +
                             QStringLiteral("有未保存的笔记。\n是否恢复? 选择\"否\"将丢弃这些笔记。"),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes) {
        QFile::remove(recoveryPath);
        return;
    }
    // Kept with the document's password, unless that was changed and not saved since.
    OpenFileQuestions questions(*this, m_document->password(), true);
    const NotesDocument::OpenResult result = m_document->recover(recoveryPath, questions);
    if (result.status != NotesDocument::OpenStatus::Opened) {
        if (const QString message = DocumentMessages::openFailure(result, recoveryPath); !message.isEmpty())
            ErrorMsg(message);
        return;
    }
    m_recoveryFiles.append(recoveryPath);
    FixScrollbars();
}

// At the first activation without the "debug" switch: the file named on the command line, or the last
// file when so configured.
void TMainForm::openStartupFile()
{
    const bool minimize = CommandLine::hasSwitch(m_arguments, u"minimize");
    if (m_arguments.isEmpty() || minimize) {
        if (Settings::isOn(*m_iniFile, Settings::Switch::OpenLastFile))
            OpenFile(Settings::lastFile(*m_iniFile), QByteArray(), true, false);
        if (m_document->fileName().isEmpty())
            offerRecovery(RecoveryFiles::unnamedLeftBehind());
        return;
    }
    QString path = m_arguments.at(0);
    if (!hasFolderPart(path))
        path = QFileInfo::exists(path) ? QDir::current().absoluteFilePath(path)
                                       : AppPaths::executableDir() + QDir::separator() + path;
    CmdLineOpen = true;
    const auto cleared = qScopeGuard([this] { CmdLineOpen = false; });
    m_declinedHeldFile = false;
    OpenFile(path, AnsiText::fromUnicode(m_arguments.value(1)), false, false);
    if (m_declinedHeldFile)
        handOverToHolder(path);
}
