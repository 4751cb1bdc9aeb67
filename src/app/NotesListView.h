#pragma once

#include <QTableView>

// The notes list: a plain report view, one line per note, with grid lines on demand. A table keeps no
// item per row, so a million notes cost the view next to nothing. It has a current row only while that
// row is selected: the commands act on the selection, so no row may look chosen without being it, and
// without a selection the arrow keys start at the first row. Having the focus without a current row, it
// draws the focus around itself, and an empty list says so to assistive technology. A note is dragged
// between the rows; its model decides where it may go and what the drop does.
class NotesListView : public QTableView
{
    Q_OBJECT

public:
    explicit NotesListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void fitRowHeight();
    void describeEmptiness();
};
