#include "app/NotesListView.h"

#include <QHeaderView>
#include <QPainter>

NotesListView::NotesListView(QWidget* parent) : QTreeView(parent) {}

void NotesListView::setGridLines(bool on)
{
    m_gridLines = on;
    viewport()->update();
}

void NotesListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    // The view makes a row current without selecting it when it gets the focus or loses the selected
    // row; keyboard moves and clicks select the row before they make it current.
    if (current.isValid() && !selectionModel()->isSelected(current))
        selectionModel()->clearCurrentIndex();
}

void NotesListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!m_gridLines)
        return;
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight).darker(115));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* head = header();
    for (int section = 0; section < head->count(); ++section) {
        const int x = head->sectionViewportPosition(section) + head->sectionSize(section) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
