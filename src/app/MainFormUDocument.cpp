#include "app/MainFormU.h"

#include "app/StatusPanel.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "document/RecentFiles.h"
#include "document/RecoveryFiles.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/WindowTitle.h"
#include "platform/HolderChannel.h"
#include "shared/DebugLog.h"
#include "shared/Version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using SharedSrc::DebugLog;

// Runs whenever the model's counts change.
void TMainForm::CountNotes()
{
    DebugLog("TMainForm.CountNotes");
    const NoteCounts counts = m_document->model().counts();
    statusPanel(PanelTotal)->setText(DocumentMessages::totalText(counts));
    statusPanel(PanelDone)->setText(DocumentMessages::doneText(counts));
    statusPanel(PanelNotDone)->setText(DocumentMessages::notDoneText(counts));
}

void TMainForm::SetModified(bool value)
{
    DebugLog("TMainForm.SetModified");
    m_document->setModified(value);
}

bool TMainForm::GetModified() const
{
    DebugLog("TMainForm.GetModified");
    return m_document->isModified();
}

// Follows the document's modified flag, however it changed.
void TMainForm::showModified(bool modified)
{
    statusPanel(PanelModified)->setText(modified ? QStringLiteral("已修改") : QString());
}

QString TMainForm::FileName() const
{
    return m_document->fileName();
}

QByteArray TMainForm::Password() const
{
    return m_document->password();
}

quint32 TMainForm::FileReserved() const
{
    return m_document->reserved();
}

// The password mark: the image for any password, its hint for which protection.
void TMainForm::showProtection()
{
    StatusPanel* mark = statusPanel(PanelPassword);
    switch (m_document->protection()) {
    case Protection::Kind::None:
        mark->setIcon(QIcon());
        mark->setToolTip(QString());
        break;
    case Protection::Kind::Classic:
        mark->setIcon(image(Images::Password));
        mark->setToolTip(QStringLiteral("经典保护: 旧版本也能打开, 但挡不住拿到文件的人"));
        break;
    case Protection::Kind::Strong:
        mark->setIcon(image(Images::Password));
        mark->setToolTip(QStringLiteral("强保护: 没有密码读不出记事本"));
        break;
    }
}

// The caption, the status bar, the tray hint and the recent files follow the document's file.
void TMainForm::followDocumentFile()
{
    connect(m_document, &NotesDocument::fileNameChanged, this, [this](const QString& fileName) {
        Guarded::run([&] {
            m_toldDiskChange = false;
            SetFileInfo(fileName);
            if (!fileName.isEmpty())
                addToRecentFiles(fileName);
        });
    });
    connect(m_document, &NotesDocument::protectionChanged, this,
            Guarded::slot([this] { SetFileInfo(m_document->fileName()); }));
    connect(m_document, &NotesDocument::saved, this, [this](const QString& fileName) {
        Guarded::run([&] {
            // What a recovery file held is in the notes file now; so is one another window kept of this
            // file.
            m_recoveryFiles.append(RecoveryFiles::pathFor(fileName));
            for (const QString& recovery : std::exchange(m_recoveryFiles, {}))
                QFile::remove(recovery);
        });
    });
    connect(m_document, &NotesDocument::reloaded, this, Guarded::slot([this] {
                m_toldDiskChange = false;
                SetFileInfo(m_document->fileName());
            }));
    connect(m_document, &NotesDocument::changedOnDisk, this,
            Guarded::slot(this, &TMainForm::checkFileOnDisk));
}

void TMainForm::SetFileInfo(const QString& name)
{
    DebugLog("TMainForm.SetFileInfo");
    const QString title = QLatin1String("Quillet v") + QLatin1String(Quillet::ProgramVersion);
    setWindowTitle(name.isEmpty()
                       ? title
                       : title + QLatin1String(" - ") + WindowTitle::literal(QFileInfo(name).fileName()));
    showProtection();
    QString folder;
    if (const QString fileName = m_document->fileName(); !fileName.isEmpty()) {
        folder = QDir::toNativeSeparators(QFileInfo(fileName).absolutePath());
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
    }
    statusPanel(PanelFolder)->setText(folder);
    statusPanel(PanelFolder)->setToolTip(folder);
    m_holderChannel->listenFor(m_document->fileName());
    setTrayHint(name.isEmpty() ? QStringLiteral("Quillet")
                               : QLatin1String("Quillet [") + QFileInfo(name).fileName() + QLatin1Char(']'));
}

void TMainForm::PerformAutoSave()
{
    DebugLog("TMainForm.PerformAutoSave");
    if (AutoSaveOnAddEdit && !m_document->fileName().isEmpty())
        SaveFile(m_document->fileName());
}
