#include "app/StatusPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int Gap = 2;        // between neighbouring panels
constexpr int TextMargin = 3; // inside the frame, on either side
constexpr int IconSize = 16;
constexpr int IconSpacing = 4; // between the image and the text

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {}

void StatusPanel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
    Q_EMIT textChanged();
}

int StatusPanel::fittingWidth(const QString& text) const
{
    const int image = m_icon.isNull() ? 0 : IconSize + IconSpacing;
    return Gap + 2 * TextMargin + image + fontMetrics().horizontalAdvance(text) + 1;
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
    frame.rect = rect().adjusted(0, 0, -Gap, 0);
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.rect.adjusted(0, 0, -1, -1));

    QRect content = frame.rect.adjusted(TextMargin, 1, -TextMargin, -1);
    if (!m_icon.isNull()) {
        const QRect iconRect(content.left(), content.top() + (content.height() - IconSize) / 2, IconSize,
                             IconSize);
        m_icon.paint(&painter, iconRect);
        content.setLeft(iconRect.right() + 1 + IconSpacing);
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
