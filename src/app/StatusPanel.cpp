#include "app/StatusPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {}

void StatusPanel::setText(const QString& text)
{
    m_text = text;
    update();
}

void StatusPanel::setIcon(const QIcon& icon)
{
    m_icon = icon;
    update();
}

void StatusPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, 0, -2, 0); // a small gap between neighbouring panels
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.rect.adjusted(0, 0, -1, -1));

    QRect content = frame.rect.adjusted(3, 1, -3, -1);
    if (!m_icon.isNull()) {
        const QRect iconRect(content.left(), content.top() + (content.height() - 16) / 2, 16, 16);
        m_icon.paint(&painter, iconRect);
        content.setLeft(iconRect.right() + 4);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, content.width());
    painter.drawText(content, Qt::AlignVCenter | Qt::AlignLeft, shown);
}

void StatusPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
