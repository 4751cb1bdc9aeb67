#include "app/NotesListView.h"

#include <QEvent>
#include <QHeaderView>

NotesListView::NotesListView(QWidget* parent) : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    fitRowHeight();
}

// Every row is one line of text beside a 16-pixel image, as high as a report view's rows.
void NotesListView::fitRowHeight()
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.text = QStringLiteral("Xg");
    option.decorationSize = iconSize().isValid() ? iconSize() : QSize(16, 16);
    const QSize item = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setDefaultSectionSize(item.height());
}

void NotesListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowHeight();
}

void NotesListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // The view makes a row current without selecting it when it gets the focus or loses the selected
    // row; keyboard moves and clicks select the row before they make it current.
    if (current.isValid() && !selectionModel()->isSelected(current))
        selectionModel()->clearCurrentIndex();
}

// The keys move between notes, not between the cells of a note: Home and End go to the first and last
// note, left and right stay on the row.
QModelIndex NotesListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    switch (action) {
    case MoveLeft:
    case MoveRight:
        return currentIndex();
    case MoveHome:
    case MoveEnd:
        return QTableView::moveCursor(action, modifiers | Qt::ControlModifier).siblingAtColumn(0);
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}
