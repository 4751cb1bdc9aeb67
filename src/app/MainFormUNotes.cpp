#include "app/MainFormU.h"

#include "app/NotesFilterModel.h"
#include "app/NotesListView.h"
#include "document/NotesDocument.h"
#include "forms/AddEditFormU.h"
#include "forms/FindFormU.h"
#include "forms/NoteTextBlocks.h"
#include "forms/SortFormU.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/NoteFields.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using SharedSrc::DebugLog;

namespace {

// The pane shows the start of a note only, cut at a line end where there is one: a note of many megabytes
// would otherwise hold up the window for seconds and take hundreds of megabytes to lay out.
constexpr qsizetype MaxShownTextBytes = 1024 * 1024;

QString shownText(const QByteArray& text)
{
    if (text.size() <= MaxShownTextBytes)
        return AnsiText::toUnicode(text);
    const QByteArrayView start = QByteArrayView(text).first(MaxShownTextBytes);
    const qsizetype lineEnd = start.lastIndexOf('\n');
    QString shown = AnsiText::toUnicode(lineEnd > 0 ? start.first(lineEnd + 1) : start);
    if (lineEnd <= 0)
        shown += QLatin1Char('\n');
    return shown + QStringLiteral("……");
}

// In blocks of a bounded length (NoteTextBlocks), which the pane lays out at once where one line of a
// megabyte would take it seconds.
void showInPane(QPlainTextEdit* pane, const QString& text)
{
    QTextDocument* document = pane->document();
    document->setUndoRedoEnabled(false);
    document->clear();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    NoteTextBlocks::insert(cursor, QStringView(text));
    cursor.endEditBlock();
    pane->moveCursor(QTextCursor::Start);
}

} // namespace

void TMainForm::NotesAddCmdExecute()
{
    DebugLog("TMainForm.NotesAddCmdExecute");
    {
        TAddEditForm dialog(*this);
        AddEditForm = &dialog;
        const int position = IsSelected() ? selectedRow() + 1 : m_document->model().rowCount();
        const int result = dialog.AddExecute(position);
        AddEditForm = nullptr;
        if (result == QDialog::Accepted)
            FixScrollbars();
    }
    PerformAutoSave();
}

void TMainForm::NotesEditCmdExecute()
{
    DebugLog("TMainForm.NotesEditCmdExecute");
    if (!IsSelected())
        return;
    {
        TAddEditForm dialog(*this);
        AddEditForm = &dialog;
        dialog.EditExecute(selectedRow());
        AddEditForm = nullptr;
    }
    PerformAutoSave();
}

void TMainForm::NotesDeleteCmdExecute()
{
    DebugLog("TMainForm.NotesDeleteCmdExecute");
    if (!IsSelected())
        return;
    // The note shown next takes the selection, or the one shown before it at the end of the list.
    const int row = selectedRow();
    const int shown = m_filter->rowOf(row);
    m_document->removeNote(row);
    if (const int rows = m_filter->rowCount(); rows > 0)
        selectRow(m_filter->sourceRow(shown < rows ? shown : shown - 1));
    PerformAutoSave();
}

void TMainForm::NotesDoneUndoneCmdExecute()
{
    DebugLog("TMainForm.NotesDoneUndoneCmdExecute");
    if (!IsSelected())
        return;
    const int row = selectedRow();
    m_document->setDone(row, !m_document->model().note(row).isDone());
    scrollToNote(row);
    PerformAutoSave();
}

void TMainForm::NotesMoveUpCmdExecute()
{
    DebugLog("TMainForm.NotesMoveUpCmdExecute");
    if (!IsSelected())
        return;
    // With a filter on, the note changes places with the one shown above it.
    if (const int above = shownNeighbour(selectedRow(), -1); above >= 0)
        SwapListItems(above);
    PerformAutoSave();
}

void TMainForm::NotesMoveDownCmdExecute()
{
    DebugLog("TMainForm.NotesMoveDownCmdExecute");
    if (!IsSelected())
        return;
    if (const int below = shownNeighbour(selectedRow(), 1); below >= 0)
        SwapListItems(below);
    PerformAutoSave();
}

// The rows stay where they are and exchange their contents, so the selection is moved after the note.
void TMainForm::SwapListItems(int index)
{
    DebugLog("TMainForm.SwapListItems");
    m_document->swapNotes(selectedRow(), index);
    selectRow(index);
}

void TMainForm::SetPriority(const QByteArray& name)
{
    DebugLog("TMainForm.SetPriority");
    if (!IsSelected())
        return;
    const int row = selectedRow();
    m_document->setPriority(row, name);
    scrollToNote(row);
    PerformAutoSave();
}

void TMainForm::NotesListSelectItem(int row, bool selected)
{
    DebugLog("TMainForm.NotesListSelectItem");
    if (selected && row >= 0 && row < m_document->model().rowCount())
        showInPane(NoteText, shownText(m_document->model().note(row).text));
    else
        NoteText->clear();
}

void TMainForm::NotesListKeyPress(QChar key)
{
    DebugLog("TMainForm.NotesListKeyPress");
    if (key == QLatin1Char('\r'))
        action("NotesEditCmd")->trigger();
}

void TMainForm::NotesFindCmdExecute()
{
    DebugLog("TMainForm.NotesFindCmdExecute");
    TFindForm dialog(*this);
    FindForm = &dialog;
    dialog.exec();
    FindForm = nullptr;
}

void TMainForm::NotesSortCmdExecute()
{
    DebugLog("TMainForm.NotesSortCmdExecute");
    TSortForm dialog(*this);
    SortForm = &dialog;
    const int result = dialog.exec();
    SortForm = nullptr;
    if (result != QDialog::Accepted)
        return;
    const auto busy = busyCursor();
    m_document->sort(dialog.NoteText->isChecked() ? NotesSorter::SortBy::Text : NotesSorter::SortBy::Priority,
                     dialog.Ascending->isChecked());
    PerformAutoSave();
}
