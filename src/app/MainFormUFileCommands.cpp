#include "app/MainFormU.h"

#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "document/QltFile.h"
#include "document/RecentFiles.h"
#include "document/TextReport.h"
#include "forms/FileDialog.h"
#include "forms/Guarded.h"
#include "forms/MessageBox.h"
#include "forms/SettPassFormU.h"
#include "platform/SystemInfo.h"
#include "shared/AppPaths.h"
#include "shared/DebugLog.h"
#include "shared/ErrorLog.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QScopeGuard>
#include <QToolButton>

#include <optional>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

bool TMainForm::FileSaved()
{
    DebugLog("TMainForm.FileSaved");
    if (!GetModified())
        return true;
    switch (MessageBox::show(this, QMessageBox::Question, QStringLiteral("确认"),
                             QStringLiteral("保存更改吗?"),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Cancel:
        return false;
    case QMessageBox::Yes:
        action("FileSaveCmd")->trigger();
        return !GetModified();
    default:
        return true;
    }
}

void TMainForm::FileNewCmdExecute()
{
    DebugLog("TMainForm.FileNewCmdExecute");
    if (!FileSaved())
        return;
    m_document->clear();
}

void TMainForm::FileOpenCmdExecute()
{
    DebugLog("TMainForm.FileOpenCmdExecute");
    if (!FileSaved())
        return;
    const FileDialog::Result chosen = FileDialog::getOpenFileName(this, QStringLiteral("打开"), FileFilter);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    openAsDocument(chosen.path);
}

// The caller has dealt with unsaved changes. A file refused before the document was touched gives the
// modified mark back, so those changes are still protected by the save question.
void TMainForm::openAsDocument(const QString& path)
{
    const bool wasModified = GetModified();
    SetModified(false);
    if (OpenFile(path, QByteArray(), false, false) == OpenOutcome::Untouched)
        SetModified(wasModified);
}

void TMainForm::FileSaveCmdExecute()
{
    DebugLog("TMainForm.FileSaveCmdExecute");
    if (!m_document->fileName().isEmpty())
        SaveFile(m_document->fileName());
    else
        action("FileSaveAsCmd")->trigger();
}

void TMainForm::FileSaveAsCmdExecute()
{
    DebugLog("TMainForm.FileSaveAsCmdExecute");
    const QString path = FileDialog::askSavePath(this, QStringLiteral("另存为..."), FileFilter, FileExt);
    if (!path.isEmpty())
        SaveFile(path);
}

// Writes the whole document in one go through a temporary file; a failed write leaves the file on disk
// as it was, and the document modified and under its old name.
void TMainForm::SaveFile(const QString& fileName)
{
    DebugLog("TMainForm.SaveFile");
    showWorking(QStringLiteral("正在保存..."));
    NotesDocument::SaveResult result = m_document->save(fileName);
    std::optional<ChangedFileAnswer> answer;
    if (result.changedOnDisk) {
        answer = askAboutChangedFile(m_document->fileName());
        if (answer == ChangedFileAnswer::Overwrite) {
            showWorking(QStringLiteral("正在保存..."));
            result = m_document->save(fileName, NotesDocument::Overwrite::Always);
        }
    }
    if (result.saved) {
        if (!result.otherVersionKeptAs.isEmpty())
            ErrorMsg(DocumentMessages::otherVersionKept(QDir::toNativeSeparators(result.otherVersionKeptAs)));
        return;
    }
    // Nothing changed: the document's file is shown again in place of the working text.
    SetFileInfo(m_document->fileName());
    if (answer == ChangedFileAnswer::SaveAs) {
        action("FileSaveAsCmd")->trigger();
        return;
    }
    if (answer == ChangedFileAnswer::Cancel)
        return;
    if (!result.error.isEmpty())
        ErrorLog::appendReport(AppPaths::errorLogPath(), SystemInfo::describe(),
                               {QStringLiteral("TMainForm"), QStringLiteral("TMainForm.SaveFile"),
                                QDir::toNativeSeparators(fileName) + QLatin1String(": ") + result.error});
    ErrorMsg(DocumentMessages::cannotSave(result.error));
}

void TMainForm::FileImportCmdExecute()
{
    DebugLog("TMainForm.FileImportCmdExecute");
    const FileDialog::Result chosen =
        FileDialog::getOpenFileName(this, QStringLiteral("导入..."), FileFilter);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    const auto busy = busyCursor();
    OpenFile(chosen.path, QByteArray(), false, true);
}

void TMainForm::FileExportCmdExecute()
{
    DebugLog("TMainForm.FileExportCmdExecute");
    const QString path = FileDialog::askSavePath(
        this, QStringLiteral("导出..."), {QStringLiteral("文本文件 (*.txt)"), QStringLiteral("所有文件 (*)")},
        QStringLiteral(".txt"));
    if (path.isEmpty())
        return;
    // The notes file replaced by its report would lose every note at the next close.
    if (!m_document->fileName().isEmpty() && QltFile::isSameFile(m_document->fileName(), path)) {
        ErrorMsg(DocumentMessages::exportOverNotesFile());
        return;
    }
    const ReportStamp stamp = reportStamp(m_document->model().counts(), QDateTime::currentDateTime());
    // A text file for other programs: in the system's encoding, not the notes file's. The notes of a
    // protected list are private, in the report too.
    if (!QltFile::writeAtomically(
            path, [&](QIODevice& out) { return writeReport(out, m_document->notes(), stamp); }, nullptr,
            m_document->password().isEmpty() ? QltFile::NewFile::FollowUmask : QltFile::NewFile::OwnerOnly))
        ErrorMsg(DocumentMessages::cannotExport());
}

void TMainForm::FileSetPasswordCmdExecute()
{
    DebugLog("TMainForm.FileSetPasswordCmdExecute");
    TSetPassForm dialog(*this);
    SetPassForm = &dialog;
    const auto released = qScopeGuard([] { SetPassForm = nullptr; });
    if (dialog.exec() == QDialog::Accepted)
        PerformAutoSave();
}

// Recent files.

void TMainForm::addToRecentFiles(const QString& path)
{
    RecentFiles::add(m_mruList, path);
    updateRecentFilesMenus();
}

void TMainForm::updateRecentFilesMenus()
{
    fillRecentFilesMenu(FileRecentFilesMenu);
    fillRecentFilesMenu(ToolbarOpenCmd->menu());
}

// The entries stand before the menu's separator and clear item.
void TMainForm::fillRecentFilesMenu(QMenu* menu)
{
    for (QAction* entry : menu->actions()) {
        if (entry->isSeparator())
            break;
        menu->removeAction(entry);
        // Later: the entry being chosen may be the one that asked for this update.
        entry->deleteLater();
    }
    QAction* separator = menu->actions().value(0);
    menu->setToolTipsVisible(true);
    for (qsizetype i = 0; i < m_mruList.size(); ++i) {
        const QString path = m_mruList.at(i);
        auto* entry = new QAction(RecentFiles::menuCaption(i, path), menu);
        entry->setObjectName(QStringLiteral("MRU%1").arg(i + 1));
        // Two files of one name in different folders look alike by their captions.
        entry->setToolTip(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, Guarded::slot([this, path] {
                    DebugLog("TMainForm.MRUList.Click");
                    RecentFiles::moveToTop(m_mruList, m_mruList.indexOf(path));
                    updateRecentFilesMenus();
                    MRUListClick(this, path);
                }));
        menu->insertAction(separator, entry);
    }
}

void TMainForm::MRUListClick(QObject* /*sender*/, const QString& fileName)
{
    DebugLog("TMainForm.MRUListClick");
    if (FileSaved())
        openAsDocument(fileName);
}

namespace {

void showClearItem(QAction* item, bool hasEntries)
{
    item->setText(hasEntries ? QStringLiteral("清除") : QStringLiteral("(无)"));
    item->setEnabled(hasEntries);
}

} // namespace

void TMainForm::FileRecentFilesMenuPopup()
{
    DebugLog("TMainForm.FileRecentFilesMenuPopup");
    updateRecentFilesMenus();
    showClearItem(action("FileClearRecentList"), !m_mruList.isEmpty());
}

void TMainForm::ToolbarOpenCmdPopup()
{
    DebugLog("TMainForm.ToolbarOpenCmdPopup");
    updateRecentFilesMenus();
    showClearItem(ToolbarClearMRUCmd, !m_mruList.isEmpty());
}

void TMainForm::FileClearRecentListExecute()
{
    DebugLog("TMainForm.FileClearRecentListExecute");
    m_mruList.clear();
    updateRecentFilesMenus();
}

void TMainForm::ToolbarClearMRUCmdClick()
{
    DebugLog("TMainForm.ToolbarClearMRUCmdClick");
    m_mruList.clear();
    updateRecentFilesMenus();
}
