#include "app/MainFormU.h"

#include "app/StatusPanel.h"
#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "document/RecentFiles.h"
#include "document/TextReport.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "forms/SettPassFormU.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/LocaleFormats.h"
#include "shared/TextFile.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QScopeGuard>
#include <QToolButton>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

constexpr int PanelTotal = 0;
constexpr int PanelDone = 1;
constexpr int PanelNotDone = 2;

} // namespace

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
    m_password.clear();
    m_fileName.clear();
    m_fileLock.release();
    SetFileInfo(m_fileName);
    m_model->clear();
    SetModified(false);
    m_fileReserved = 0;
    CountNotes();
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
    DebugLog("TMainForm.openAsDocument");
    const bool wasModified = GetModified();
    SetModified(false);
    if (OpenFile(path, QByteArray(), false, false) == OpenOutcome::Untouched)
        SetModified(wasModified);
}

void TMainForm::FileSaveCmdExecute()
{
    DebugLog("TMainForm.FileSaveCmdExecute");
    if (!m_fileName.isEmpty())
        SaveFile(m_fileName);
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
    const QString path = RecentFiles::fullPath(fileName);
    if (path.isEmpty() || !QltFile::writeNotes(path, m_model->notes(), m_password, m_fileReserved)) {
        SetFileInfo(m_fileName);
        ErrorMsg(QStringLiteral("保存文件时发生错误。文件可能正在被使用。"));
        return;
    }
    SetModified(false);
    m_fileName = path;
    SetFileInfo(m_fileName);
    holdFileLock(m_fileName, FileLock());
    addToRecentFiles(m_fileName);
}

void TMainForm::FileImportCmdExecute()
{
    DebugLog("TMainForm.FileImportCmdExecute");
    const FileDialog::Result chosen =
        FileDialog::getOpenFileName(this, QStringLiteral("导入..."), FileFilter);
    if (chosen.accepted && !chosen.path.isEmpty())
        OpenFile(chosen.path, QByteArray(), false, true);
}

void TMainForm::FileExportCmdExecute()
{
    DebugLog("TMainForm.FileExportCmdExecute");
    const QString path = FileDialog::askSavePath(this, QStringLiteral("导出..."),
                                                 QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*"),
                                                 QStringLiteral(".txt"));
    if (path.isEmpty())
        return;
    // One reading of the clock, so that a report made at midnight cannot pair one day's date with the
    // next day's time.
    const QDateTime now = QDateTime::currentDateTime();
    ReportStamp stamp;
    stamp.totalText = AnsiText::fromUnicode(statusPanel(PanelTotal)->text());
    stamp.doneText = AnsiText::fromUnicode(statusPanel(PanelDone)->text());
    stamp.notDoneText = AnsiText::fromUnicode(statusPanel(PanelNotDone)->text());
    stamp.date = AnsiText::fromUnicode(LocaleFormats::shortDate(now.date()));
    stamp.time = AnsiText::fromUnicode(LocaleFormats::longTime(now.time()));
    QList<QByteArray> list;
    ExportNotesToText(m_model->notes(), stamp, list);
    // A text file for other programs: in the system's encoding, not the notes file's.
    if (!QltFile::writeAtomically(path, TextFile::encode(AnsiText::toUnicode(reportFileBytes(list)))))
        ErrorMsg(QStringLiteral("无法导出文件。"));
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
    DebugLog("TMainForm.addToRecentFiles");
    RecentFiles::add(m_mruList, path);
    updateRecentFilesMenus();
}

void TMainForm::updateRecentFilesMenus()
{
    DebugLog("TMainForm.updateRecentFilesMenus");
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
        connect(entry, &QAction::triggered, this, [this, path] {
            DebugLog("TMainForm.MRUList.Click");
            RecentFiles::moveToTop(m_mruList, m_mruList.indexOf(path));
            updateRecentFilesMenus();
            MRUListClick(this, path);
        });
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
