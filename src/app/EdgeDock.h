#pragma once

#include <QWidget>

// A dock strip holding one bar (the menu bar or the toolbar). It can draw thin edge lines on some of
// its sides; the bar sits inside them.
class EdgeDock : public QWidget
{
    Q_OBJECT

public:
    explicit EdgeDock(QWidget* parent = nullptr);

    void setBar(QWidget* bar);

    Qt::Edges edgeLines() const { return m_edges; }
    void setEdgeLines(Qt::Edges edges);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Edges m_edges;
};
