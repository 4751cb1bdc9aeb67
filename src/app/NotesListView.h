#pragma once

#include <QTableView>

class QMimeData;

// The notes list: a plain report view, one line per note, with grid lines on demand. A table keeps no
// item per row, so a million notes cost the view next to nothing. It has a current row only while that
// row is selected: the commands act on the selection, so no row may look chosen without being it, and
// without a selection the arrow keys start at the first row. Having the focus without a current row, it
// draws the focus around itself, and an empty list says so to assistive technology. A note is dragged
// between the rows; the view only tells where it was dropped (`noteDropped`).
class NotesListView : public QTableView
{
    Q_OBJECT

public:
    explicit NotesListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Whether a note may be dropped in the list: not while it leaves notes out, where the place of a note
    // among the hidden ones could not be told.
    void setDropsAllowed(bool allowed);
    // What a drag of `row` carries: the row, for this list of this process only.
    QMimeData* noteData(int row) const;

Q_SIGNALS:
    // The note of row `from` was dropped before row `before` (the row count: after the last).
    void noteDropped(int from, int before);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fitRowHeight();
    void describeEmptiness();
    void dragNote(int row);
    int draggedRow(const QMimeData* mime) const;
    // The row a drop at `position` goes before; -1 when nothing may be dropped.
    int dropBefore(const QDropEvent* event) const;

    bool m_dropsAllowed = true;
    QPoint m_pressPosition;
    int m_pressedRow = -1;
    int m_dropIndicator = -1; // the row the drop indicator is drawn above
};
