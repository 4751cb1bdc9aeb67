#include "forms/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget* parent, const char* name, const QString& hint) : QLabel(parent)
{
    setObjectName(QLatin1String(name));
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setHot(false);
}

void LinkLabel::setHot(bool hot)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, hot ? QColor(255, 0, 0) : QColor(0, 0, 255));
    setPalette(colours);
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    Q_EMIT entered();
}

void LinkLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    Q_EMIT left();
}

// A click is a left-button release over the link, as for a button.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
