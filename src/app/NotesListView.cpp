#include "app/NotesListView.h"
#include "forms/Guarded.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <utility>

namespace {

const QString NoteRowFormat = QStringLiteral("application/x-quillet-note-row");

QByteArray listIdentity(const QObject* list)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(quintptr(list), 16) + ' ';
}

} // namespace

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
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
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
        connect(model, &QAbstractItemModel::rowsInserted, this, &NotesListView::describeEmptiness,
                Qt::UniqueConnection);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &NotesListView::describeEmptiness,
                Qt::UniqueConnection);
        connect(model, &QAbstractItemModel::modelReset, this, &NotesListView::describeEmptiness,
                Qt::UniqueConnection);
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
    QPainter painter(viewport());
    if (m_dropIndicator >= 0) {
        QStyleOption option;
        option.initFrom(this);
        const int rows = model()->rowCount();
        const int y = m_dropIndicator < rows ? rowViewportPosition(m_dropIndicator)
                                             : rowViewportPosition(rows - 1) + rowHeight(rows - 1);
        option.rect = QRect(0, y, viewport()->width(), 0);
        style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemDrop, &option, &painter, this);
    }
    if (!hasFocus() || currentIndex().isValid())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void NotesListView::setDropsAllowed(bool allowed)
{
    m_dropsAllowed = allowed;
}

// The process and the list, so that a row from another list or another Quillet is not taken for one of
// this list.
QMimeData* NotesListView::noteData(int row) const
{
    auto* mime = new QMimeData;
    mime->setData(NoteRowFormat, listIdentity(this) + QByteArray::number(row));
    return mime;
}

int NotesListView::draggedRow(const QMimeData* mime) const
{
    const QByteArray identity = listIdentity(this);
    const QByteArray bytes = mime ? mime->data(NoteRowFormat) : QByteArray();
    if (!bytes.startsWith(identity))
        return -1;
    bool ok = false;
    const int row = bytes.mid(identity.size()).toInt(&ok);
    return ok && row >= 0 && row < model()->rowCount() ? row : -1;
}

void NotesListView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    const QModelIndex pressed = indexAt(event->position().toPoint());
    m_pressedRow = event->button() == Qt::LeftButton && pressed.isValid() ? pressed.row() : -1;
    m_pressPosition = event->position().toPoint();
}

// Past the drag distance, a pressed note goes with the pointer instead of the selection.
void NotesListView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressedRow >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() >=
            QApplication::startDragDistance()) {
        const int row = std::exchange(m_pressedRow, -1);
        dragNote(row);
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void NotesListView::dragNote(int row)
{
    auto* drag = new QDrag(this);
    drag->setMimeData(noteData(row));
    const QRect shown(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
    drag->setPixmap(viewport()->grab(shown));
    drag->setHotSpot(m_pressPosition - shown.topLeft());
    drag->exec(Qt::MoveAction);
    // The button went up inside the drag: the list is not selecting any more.
    setState(NoState);
}

int NotesListView::dropBefore(const QDropEvent* event) const
{
    if (!m_dropsAllowed || !(event->possibleActions() & Qt::MoveAction) || draggedRow(event->mimeData()) < 0)
        return -1;
    const QPoint position = event->position().toPoint();
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return model()->rowCount();
    const QRect row = visualRect(index);
    return position.y() < row.center().y() ? index.row() : index.row() + 1;
}

void NotesListView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void NotesListView::dragMoveEvent(QDragMoveEvent* event)
{
    const int before = dropBefore(event);
    if (before >= 0) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
    if (before != m_dropIndicator) {
        m_dropIndicator = before;
        viewport()->update();
    }
}

void NotesListView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_dropIndicator = -1;
    viewport()->update();
}

void NotesListView::dropEvent(QDropEvent* event)
{
    m_dropIndicator = -1;
    viewport()->update();
    const int before = dropBefore(event);
    if (before < 0) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    Q_EMIT noteDropped(draggedRow(event->mimeData()), before);
}
