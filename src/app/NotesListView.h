#pragma once

#include <QTreeView>

// The notes list: a plain report view that can draw grid lines between its rows and columns. It has a
// current row only while that row is selected: the commands act on the selection, so no row may look
// chosen without being it, and without a selection the arrow keys start at the first row.
class NotesListView : public QTreeView
{
    Q_OBJECT

public:
    explicit NotesListView(QWidget* parent = nullptr);

    bool gridLines() const { return m_gridLines; }
    void setGridLines(bool on);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    bool m_gridLines = false;
};
