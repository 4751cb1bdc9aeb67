#include "app/MainFormU.h"

#include "app/NotesListView.h"
#include "document/NotesDocument.h"
#include "shared/DebugLog.h"

#include <QAction>

using SharedSrc::DebugLog;

void TMainForm::NotesUndoCmdExecute()
{
    DebugLog("TMainForm.NotesUndoCmdExecute");
    if (m_document->history().canUndo())
        followHistoryStep(m_document->undo());
}

void TMainForm::NotesRedoCmdExecute()
{
    DebugLog("TMainForm.NotesRedoCmdExecute");
    if (m_document->history().canRedo())
        followHistoryStep(m_document->redo());
}

// The note the step concerns is selected and shown, as the command that made it left it. Then the change
// is saved like any other.
void TMainForm::followHistoryStep(int row)
{
    if (row != NoteStep::KeepSelection)
        selectRow(row);
    const int selected = selectedRow();
    NotesListSelectItem(selected, selected >= 0);
    if (selected >= 0)
        scrollToNote(selected);
    PerformAutoSave();
}

// The only commands enabled and disabled: there may be nothing to undo or redo.
void TMainForm::showHistory()
{
    const NotesHistory& history = m_document->history();
    const auto show = [](QAction* command, const QString& verb, bool enabled, const QString& what) {
        command->setEnabled(enabled);
        command->setToolTip(enabled ? verb + QLatin1Char(' ') + what : verb);
        command->setStatusTip(command->toolTip());
    };
    show(action("NotesUndoCmd"), QStringLiteral("撤销"), history.canUndo(), history.undoText());
    show(action("NotesRedoCmd"), QStringLiteral("重做"), history.canRedo(), history.redoText());
}
