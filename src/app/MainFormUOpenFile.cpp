#include "app/MainFormU.h"

#include "app/StatusPanel.h"
#include "document/NotesModel.h"
#include "document/QltFormat.h"
#include "document/RecentFiles.h"
#include "forms/EnterPassFormU.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/CommandLine.h"
#include "shared/DebugLog.h"
#include "shared/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStatusBar>

#include <optional>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

constexpr int PanelFolder = 5;
constexpr int PasswordImage = 6;
constexpr qsizetype MaxPasswordLength = 100;

const QString General = QStringLiteral("General");

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

// Loads a notes file as the document, or appends its notes (`merge`). Every failure is reported here.
// The file is parsed as a whole before any row is added, so a damaged file or a cancelled password adds
// nothing; a load without merge that fails after the reset leaves the empty, unnamed document.
TMainForm::OpenOutcome TMainForm::OpenFile(const QString& fileName, const QByteArray& password, bool silent,
                                           bool merge)
{
    DebugLog("TMainForm.OpenFile");
    showWorking(QStringLiteral("正在打开..."));
    const auto fail = [this](const QString& message, OpenOutcome outcome) {
        if (!message.isEmpty())
            ErrorMsg(message);
        SetFileInfo(m_fileName);
        return outcome;
    };
    const QString damaged = QStringLiteral("打开文件时发生错误。文件可能已损坏。");

    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        return fail(silent ? QString() : QStringLiteral("文件不存在:") + QLatin1Char('\r') + fileName,
                    OpenOutcome::Untouched);
    // Only regular files: a pipe or a device could block the read or never end.
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(damaged, OpenOutcome::Untouched);
    // The file stays open until the end, password dialog included. The whole of it is read now, so what
    // is deciphered later is what was checked here, whatever happens to the file meanwhile.
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(damaged, OpenOutcome::Untouched);

    const QltFormat::HeaderResult header = QltFormat::readHeader(bytes);
    switch (header.error) {
    case QltFormat::Error::None:
        break;
    case QltFormat::Error::BadSignature:
        return fail(QStringLiteral("这不是一个 Quillet 文件。"), OpenOutcome::Untouched);
    case QltFormat::Error::BadVersion:
        return fail(QStringLiteral("不兼容的文件版本 (") + QString::number(header.header.version) +
                        QLatin1Char(')'),
                    OpenOutcome::Untouched);
    case QltFormat::Error::Damaged:
        return fail(damaged, OpenOutcome::Untouched);
    }

    FileLock candidate;
    if (!merge && !mayOpenDespiteLock(fileName, candidate))
        return fail(QString(), OpenOutcome::Untouched);

    if (!merge) {
        FileNewCmdExecute();
        // Callers clear the modified mark first; should the save question still come and be refused,
        // the file must not be mixed into the rows that stay.
        if (GetModified())
            return fail(QString(), OpenOutcome::Untouched);
    }
    const OpenOutcome notLoaded = merge ? OpenOutcome::Untouched : OpenOutcome::Reset;
    statusPanel(PanelFolder)->setText(QStringLiteral("正在打开..."));

    QByteArray key = QltFormat::streamKey(QByteArray());
    QByteArray typed;
    if (header.header.hasPassword) {
        TEnterPassForm dialog(this, font(), image(PasswordImage));
        if (CmdLineOpen)
            dialog.centerOnScreen();
        dialog.setStoredCheck(header.header.check);
        dialog.setPassword(password);
        if (dialog.exec() != QDialog::Accepted)
            return fail(QString(), notLoaded);
        typed = dialog.password();
        key = typed;
    }

    // The file's buffer becomes the stream: dropping the header from the front moves no data, where a
    // copy of the rest would touch another 50 MB for a large list.
    QByteArray stream = std::move(bytes);
    stream.remove(0, QltFormat::StreamOffset);
    std::optional<QList<Note>> notes = QltFormat::readNotes(std::move(stream), key);
    if (!notes)
        return fail(damaged, notLoaded);
    m_model->appendNotes(std::move(*notes));

    if (merge) {
        SetModified(true);
    } else {
        m_fileName = RecentFiles::fullPath(fileName);
        m_password = typed.left(MaxPasswordLength);
        SetFileInfo(m_fileName);
        SetModified(false);
        m_fileReserved = header.header.reserved;
        holdFileLock(m_fileName, std::move(candidate));
    }
    CountNotes();
    addToRecentFiles(m_fileName);
    FixScrollbars();
    SetFileInfo(m_fileName);
    return OpenOutcome::Loaded;
}

// Another window that has the file open is told of in a question; No leaves everything as it was. The
// lock taken here stays with `candidate` until the file has become the document.
bool TMainForm::mayOpenDespiteLock(const QString& path, FileLock& candidate)
{
    DebugLog("TMainForm.mayOpenDespiteLock");
    if (m_fileLock.isHeld() && m_fileLock.lockPath() == FileLock::lockPathFor(path))
        return true; // our own document, opened again
    if (candidate.acquire(path).status != FileLock::Status::HeldByOther)
        return true;
    return MessageBox::show(this, QMessageBox::Warning, QStringLiteral("确认"),
                            QStringLiteral("该文件已在另一个 Quillet 窗口中打开。仍要打开吗?"),
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The document's file from now on is `path`: its lock is ours unless another window holds it.
void TMainForm::holdFileLock(const QString& path, FileLock candidate)
{
    DebugLog("TMainForm.holdFileLock");
    if (candidate.isHeld() && candidate.lockPath() == FileLock::lockPathFor(path)) {
        m_fileLock = std::move(candidate);
        return;
    }
    const FileLock::Status status = m_fileLock.acquire(path).status;
    if (status != FileLock::Status::Acquired && status != FileLock::Status::Stale)
        m_fileLock.release();
}

// At the first activation without the "debug" switch: the file named on the command line, or the last
// file when so configured.
void TMainForm::openStartupFile()
{
    DebugLog("TMainForm.openStartupFile");
    const bool minimize = CommandLine::hasSwitch(m_arguments, u"minimize");
    if (m_arguments.isEmpty() || minimize) {
        if (m_iniFile->ReadString(General, QStringLiteral("OpenLastFile"), QStringLiteral("0")) == u"1")
            OpenFile(m_iniFile->ReadString(General, QStringLiteral("LastFile"), QString()), QByteArray(),
                     true, false);
        return;
    }
    QString path = m_arguments.at(0);
    if (!hasFolderPart(path))
        path = QFileInfo::exists(path) ? QDir::current().absoluteFilePath(path)
                                       : AppPaths::executableDir() + QDir::separator() + path;
    CmdLineOpen = true;
    const auto cleared = qScopeGuard([this] { CmdLineOpen = false; });
    OpenFile(path, AnsiText::fromUnicode(m_arguments.value(1)), false, false);
}
