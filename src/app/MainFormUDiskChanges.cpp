#include "app/MainFormU.h"

#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "forms/Guarded.h"
#include "forms/MessageBox.h"
#include "shared/DebugLog.h"

#include <QApplication>
#include <QDir>
#include <QStatusBar>
#include <QTimer>

#include <cstdlib>
#include <optional>

using SharedSrc::DebugLog;

namespace {

constexpr int StatusMessageTime = 10000;
// How often a change seen under an open dialog is looked at again, until the dialog has closed.
constexpr int DialogCloseCheckInterval = 250;

} // namespace

// The document's file changed or went on disk. Another program's version
// is taken at once when nothing here is unsaved; otherwise the user hears of it now, not at the save.
// Under an open dialog nothing changes: the dialog may hold a row number, which a reload would give to
// another note, so the look waits until it has closed.
void TMainForm::checkFileOnDisk()
{
    if (QApplication::activeModalWidget()) {
        if (!m_checkAfterDialog) {
            m_checkAfterDialog = true;
            QTimer::singleShot(DialogCloseCheckInterval, this, Guarded::slot([this] {
                                   m_checkAfterDialog = false;
                                   checkFileOnDisk();
                               }));
        }
        return;
    }
    const bool gone = m_document->fileGoneFromDisk();
    if (!gone && !m_document->fileChangedOnDisk()) {
        m_toldDiskChange = false;
        return;
    }
    const QString path = QDir::toNativeSeparators(m_document->fileName());
    if (!GetModified()) {
        if (!gone && reloadFromDisk()) {
            StatusBar->showMessage(QStringLiteral("文件已被其他程序更改, 已重新载入: ") + path,
                                   StatusMessageTime);
            return;
        }
        // The notes shown are now the only copy: closing, New and Open must ask, and a save writes them.
        m_document->markNotOnDisk();
        m_toldDiskChange = true;
        StatusBar->showMessage(gone ? QStringLiteral("文件已被其他程序删除, 这里的记事本尚未保存: ") + path
                                    : QStringLiteral("文件已被其他程序更改, 但无法载入: ") + path,
                               StatusMessageTime);
        return;
    }
    if (gone)
        return;
    if (m_toldDiskChange)
        return;
    m_toldDiskChange = true;
    MessageBox::show(this, QMessageBox::Warning, QStringLiteral("信息"),
                     QStringLiteral("文件已被其他程序更改:\n") + path +
                         QStringLiteral("\n\n这里还有没有保存的更改。保存时会先询问是覆盖、另存为还是取消。"),
                     QMessageBox::Ok);
}

TMainForm::ChangedFileAnswer TMainForm::askAboutChangedFile(const QString& path)
{
    switch (MessageBox::show(this, QMessageBox::Warning, QStringLiteral("确认"),
                             DocumentMessages::changedOnDisk(QDir::toNativeSeparators(path)) +
                                 QStringLiteral("\n\n覆盖它的更改, 另存为其他文件, 还是取消保存?"),
                             QMessageBox::Yes | QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel,
                             {{QMessageBox::Yes, QStringLiteral("覆盖(&O)")},
                              {QMessageBox::Save, QStringLiteral("另存为(&A)...")},
                              {QMessageBox::Cancel, QStringLiteral("取消")}})) {
    case QMessageBox::Yes:
        return ChangedFileAnswer::Overwrite;
    case QMessageBox::Save:
        return ChangedFileAnswer::SaveAs;
    default:
        return ChangedFileAnswer::Cancel;
    }
}

// Reads the document's file again after someone else changed it, keeping the selected note where it
// still exists. False when nothing was reloaded.
bool TMainForm::reloadFromDisk()
{
    const int row = selectedRow();
    const std::optional<Note> selected =
        row >= 0 ? std::optional<Note>(m_document->notes().at(row).detached()) : std::nullopt;
    if (!m_document->reload())
        return false;
    FixScrollbars();
    if (selected) {
        // The same note nearest to where it was: notes above it may have come or gone.
        const QList<Note>& notes = m_document->notes();
        int found = -1;
        for (int i = 0; i < notes.size(); ++i) {
            if (notes.at(i) == *selected && (found < 0 || std::abs(i - row) < std::abs(found - row)))
                found = i;
        }
        selectRow(found);
    }
    return true;
}
