#include "app/MainFormU.h"

#include "app/StatusPanel.h"
#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "shared/DebugLog.h"
#include "shared/IniFile.h"
#include "shared/Version.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

constexpr int PanelTotal = 0;
constexpr int PanelDone = 1;
constexpr int PanelNotDone = 2;
constexpr int PanelModified = 3;
constexpr int PanelPassword = 4;
constexpr int PanelFolder = 5;
constexpr int PasswordImage = 6;
constexpr qsizetype MaxRecentFiles = 4;

const QString MruSection = QStringLiteral("MRU");

QString mruKey(qsizetype n)
{
    return QStringLiteral("MRU%1").arg(n);
}

} // namespace

void TMainForm::CountNotes()
{
    DebugLog("TMainForm.CountNotes");
    const NoteCounts counts = m_model->counts();
    statusPanel(PanelTotal)->setText(QStringLiteral("总计: %1").arg(counts.total));
    statusPanel(PanelDone)->setText(QStringLiteral("完成: %1").arg(counts.done));
    statusPanel(PanelNotDone)->setText(QStringLiteral("未完成: %1").arg(counts.notDone));
}

void TMainForm::SetModified(bool value)
{
    DebugLog("TMainForm.SetModified");
    m_modified = value;
    statusPanel(PanelModified)->setText(value ? QStringLiteral("已修改") : QString());
}

void TMainForm::SetFileInfo(const QString& name)
{
    DebugLog("TMainForm.SetFileInfo");
    const QString title = QLatin1String("Quillet v") + QLatin1String(Quillet::ProgramVersion);
    setWindowTitle(name.isEmpty() ? title : title + QLatin1String(" - ") + QFileInfo(name).fileName());
    statusPanel(PanelPassword)->setIcon(m_password.isEmpty() ? QIcon() : image(PasswordImage));
    QString folder;
    if (!m_fileName.isEmpty()) {
        folder = QDir::toNativeSeparators(QFileInfo(m_fileName).absolutePath());
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
    }
    statusPanel(PanelFolder)->setText(folder);
    statusPanel(PanelFolder)->setToolTip(folder);
}

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
    SetFileInfo(m_fileName);
    m_model->clear();
    SetModified(false);
    m_fileReserved = 0;
    CountNotes();
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

// Writes the whole document in one go; a failed write leaves the file on disk as it was and the
// document marked modified.
void TMainForm::SaveFile(const QString& fileName)
{
    DebugLog("TMainForm.SaveFile");
    const QString path = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    const QByteArray bytes = QltFormat::write(m_model->notes(), m_password, m_fileReserved);
    if (!QltFile::writeAtomically(path, bytes)) {
        ErrorMsg(QStringLiteral("保存文件时发生错误。文件可能正在被使用。"));
        return;
    }
    m_fileName = path;
    SetModified(false);
    SetFileInfo(m_fileName);
    for (qsizetype i = m_mruList.size() - 1; i >= 0; --i) {
        if (QFileInfo(m_mruList.at(i)) == QFileInfo(path))
            m_mruList.removeAt(i);
    }
    m_mruList.prepend(path);
    while (m_mruList.size() > MaxRecentFiles)
        m_mruList.removeLast();
}

void TMainForm::PerformAutoSave()
{
    DebugLog("TMainForm.PerformAutoSave");
    if (AutoSaveOnAddEdit && !m_fileName.isEmpty())
        SaveFile(m_fileName);
}

void TMainForm::loadMRUList(const IniFile& ini)
{
    DebugLog("TMainForm.loadMRUList");
    m_mruList.clear();
    for (qsizetype n = 1; n <= MaxRecentFiles; ++n) {
        const QString path = ini.ReadString(MruSection, mruKey(n), QString());
        if (!path.isEmpty())
            m_mruList.append(path);
    }
}

void TMainForm::saveMRUList(IniFile& ini) const
{
    DebugLog("TMainForm.saveMRUList");
    for (qsizetype n = 1; n <= MaxRecentFiles; ++n) {
        if (n <= m_mruList.size())
            ini.WriteString(MruSection, mruKey(n), m_mruList.at(n - 1));
        else
            ini.DeleteKey(MruSection, mruKey(n));
    }
}

void TMainForm::FileClearRecentListExecute()
{
    DebugLog("TMainForm.FileClearRecentListExecute");
    m_mruList.clear();
}

void TMainForm::ToolbarClearMRUCmdClick()
{
    DebugLog("TMainForm.ToolbarClearMRUCmdClick");
    m_mruList.clear();
}
