#include "app/EdgeDock.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

EdgeDock::EdgeDock(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    setEdgeLines({});
}

void EdgeDock::setBar(QWidget* bar)
{
    layout()->addWidget(bar);
}

void EdgeDock::setEdgeLines(Qt::Edges edges)
{
    m_edges = edges;
    layout()->setContentsMargins(edges.testFlag(Qt::LeftEdge) ? 1 : 0, edges.testFlag(Qt::TopEdge) ? 1 : 0,
                                 edges.testFlag(Qt::RightEdge) ? 1 : 0,
                                 edges.testFlag(Qt::BottomEdge) ? 1 : 0);
    update();
}

void EdgeDock::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Lets a theme's style sheet paint the dock's background.
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    const QRect r = rect();
    painter.setPen(palette().color(QPalette::Mid));
    if (m_edges.testFlag(Qt::TopEdge))
        painter.drawLine(r.topLeft(), r.topRight());
    if (m_edges.testFlag(Qt::BottomEdge))
        painter.drawLine(r.bottomLeft(), r.bottomRight());
    if (m_edges.testFlag(Qt::LeftEdge))
        painter.drawLine(r.topLeft(), r.bottomLeft());
    if (m_edges.testFlag(Qt::RightEdge))
        painter.drawLine(r.topRight(), r.bottomRight());
}
