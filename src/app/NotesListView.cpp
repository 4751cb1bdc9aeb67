#include "app/NotesListView.h"
#include "forms/Guarded.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionFocusRect>

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
    // The focus moves between a row and the whole list.
    if (current.isValid() != previous.isValid())
        viewport()->update();
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

void NotesListView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                Guarded::slot(this, &NotesListView::describeEmptiness));
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                Guarded::slot(this, &NotesListView::describeEmptiness));
        connect(model, &QAbstractItemModel::modelReset, this,
                Guarded::slot(this, &NotesListView::describeEmptiness));
    }
    describeEmptiness();
}

void NotesListView::describeEmptiness()
{
    const bool empty = !model() || model()->rowCount() == 0;
    setAccessibleDescription(empty ? QStringLiteral("列表中没有记事本") : QString());
}

void NotesListView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!hasFocus() || currentIndex().isValid())
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
