#include "app/MainFormU.h"

#include "app/FilterBar.h"
#include "app/NotesFilterModel.h"
#include "app/NotesListView.h"
#include "app/StatusPanel.h"
#include "document/NotesDocument.h"
#include "forms/Guarded.h"
#include "shared/DebugLog.h"

#include <QAction>
#include <QFrame>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QStatusBar>

using SharedSrc::DebugLog;

// The bar shows above the list when asked for; the count of the notes shown sits at the right end of the
// status bar while the bar is open or done notes are hidden.
void TMainForm::createFilter()
{
    m_filterBar = new FilterBar(NotesListPanel->parentWidget());
    m_filterBar->hide();
    connect(m_filterBar, &FilterBar::textChanged, this, Guarded::slot(this, &TMainForm::applyFilter));
    connect(m_filterBar, &FilterBar::closeRequested, this, Guarded::slot(this, &TMainForm::closeFilterBar));

    m_shownPanel = new StatusPanel(StatusBar);
    m_shownPanel->setObjectName(QStringLiteral("StatusPanelShown"));
    m_shownPanel->hide();
    connect(m_shownPanel, &StatusPanel::textChanged, this, Guarded::slot(this, &TMainForm::StatusBarResize));
    connect(StatusBar, &QStatusBar::messageChanged, this, Guarded::slot(this, &TMainForm::showShownCount));
    connect(m_filter, &QAbstractItemModel::rowsInserted, this,
            Guarded::slot(this, &TMainForm::showShownCount));
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this,
            Guarded::slot(this, &TMainForm::showShownCount));
    connect(m_filter, &QAbstractItemModel::modelReset, this, Guarded::slot(this, &TMainForm::showShownCount));
    connect(&m_document->model(), &NotesModel::countsChanged, this,
            Guarded::slot(this, &TMainForm::showShownCount));
    connect(NotesList, &NotesListView::noteDropped, this, Guarded::slot(this, &TMainForm::moveDroppedNote));
}

void TMainForm::ViewFilterCmdExecute()
{
    DebugLog("TMainForm.ViewFilterCmdExecute");
    if (m_filterBar->isHidden()) {
        // The bar takes the top of the list panel's room; the list gets shorter by as much.
        const QRect panel = NotesListPanel->geometry();
        const int height = m_filterBar->sizeHint().height();
        m_filterBarRoom = height + 2;
        m_filterBar->setGeometry(panel.x(), panel.y(), panel.width(), height);
        NotesListPanel->setGeometry(panel.adjusted(0, m_filterBarRoom, 0, 0));
        NotesList->resize(NotesList->width(), NotesList->height() - m_filterBarRoom);
        m_filterBar->show();
        showShownCount();
    }
    m_filterBar->focusText();
}

// Closing empties the filter: every note not hidden as done shows again.
void TMainForm::closeFilterBar()
{
    if (m_filterBar->isHidden())
        return;
    m_filterBar->hide();
    NotesListPanel->setGeometry(NotesListPanel->geometry().adjusted(0, -m_filterBarRoom, 0, 0));
    NotesList->resize(NotesList->width(), NotesList->height() + m_filterBarRoom);
    m_filterBarRoom = 0;
    m_filterBar->clear();
    showShownCount();
    NotesList->setFocus();
}

void TMainForm::ViewHideDoneCmdExecute()
{
    DebugLog("TMainForm.ViewHideDoneCmdExecute");
    applyFilter();
}

// At each keystroke: the list shows the notes that pass, and the selected note stays selected, with the
// pane as it was, when it is among them.
void TMainForm::applyFilter()
{
    const QString text = m_filterBar->text();
    const bool hideDone = action("ViewHideDoneCmd")->isChecked();
    if (text == m_filter->filterText() && hideDone == m_filter->hidesDone())
        return;
    const int kept = selectedRow();
    {
        const QScopedValueRollback refiltering(m_refiltering, true);
        const bool wasFiltering = m_filter->isFiltering();
        m_filter->setFilter(text, hideDone);
        if (m_filter->isFiltering() != wasFiltering) {
            QItemSelectionModel* selection = NotesList->selectionModel();
            NotesList->setModel(m_filter->isFiltering() ? m_filter : m_document->itemModel());
            delete selection;
            followListSelection();
            NotesList->setDropsAllowed(!m_filter->isFiltering());
        }
        selectRow(kept);
    }
    if (kept >= 0 && !IsSelected())
        NotesListSelectItem(-1, false);
    showShownCount();
}

void TMainForm::showShownCount()
{
    const bool shown =
        StatusBar->currentMessage().isEmpty() && (!m_filterBar->isHidden() || m_filter->hidesDone());
    if (shown)
        m_shownPanel->setText(
            QStringLiteral("显示: %1 / %2").arg(m_filter->rowCount()).arg(m_document->model().rowCount()));
    if (shown == m_shownPanel->isHidden()) {
        m_shownPanel->setVisible(shown);
        StatusBarResize();
    }
}

bool TMainForm::isShown(int row) const
{
    return m_filter->rowOf(row) >= 0;
}

void TMainForm::scrollToNote(int row)
{
    NotesList->scrollTo(listIndex(row), QAbstractItemView::EnsureVisible);
}

int TMainForm::shownNeighbour(int row, int step) const
{
    const int shown = m_filter->rowOf(row);
    return shown < 0 ? -1 : m_filter->sourceRow(shown + step);
}

// As a move command: one step of the history, the note stays selected, and the document is saved when
// auto-save is on, also when it was dropped where it was.
void TMainForm::moveDroppedNote(int from, int before)
{
    const int to = before > from ? before - 1 : before;
    const int source = m_filter->sourceRow(from);
    const int target = m_filter->sourceRow(to);
    if (source != target) {
        m_document->moveNote(source, target);
        selectRow(target);
    }
    PerformAutoSave();
}
