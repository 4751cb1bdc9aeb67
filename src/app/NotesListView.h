#pragma once

#include <QTreeView>

// The notes list: a plain report view that can draw grid lines between its rows and columns.
class NotesListView : public QTreeView
{
    Q_OBJECT

public:
    explicit NotesListView(QWidget* parent = nullptr);

    bool gridLines() const { return m_gridLines; }
    void setGridLines(bool on);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    bool m_gridLines = false;
};
