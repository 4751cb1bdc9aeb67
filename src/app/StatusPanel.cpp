#include "app/StatusPanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

constexpr int Gap = 2;        // between neighbouring panels
constexpr int TextMargin = 3; // inside the box, on either side, counting its line
constexpr int IconSize = 16;
constexpr int IconSpacing = 4; // between the image and the text

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setForegroundRole(QPalette::Mid); // the colour of the box
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(TextMargin - lineWidth(), 0, TextMargin - lineWidth(), 0);
    row->setSpacing(IconSpacing);
    m_image = new QLabel(this);
    m_image->setFixedSize(IconSize, IconSize);
    m_image->hide();
    m_label = new QLabel(this);
    m_label->setForegroundRole(QPalette::WindowText);
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_image);
    row->addWidget(m_label, 1);
}

void StatusPanel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    showText();
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
    m_image->setPixmap(icon.pixmap(QSize(IconSize, IconSize), devicePixelRatioF()));
    m_image->setVisible(!icon.isNull());
}

void StatusPanel::showText()
{
    const int room = width() - fittingWidth(QString()) + 1;
    m_label->setText(fontMetrics().elidedText(m_text, Qt::ElideRight, room));
}

void StatusPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // Set again each time: the frame forgets its gap whenever the panel has been squeezed to nothing.
    setFrameRect(rect().adjusted(0, 0, -Gap, 0));
    showText();
}

void StatusPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT activated();
    QFrame::mouseDoubleClickEvent(event);
}

void StatusPanel::keyPressEvent(QKeyEvent* event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)) {
        Q_EMIT activated();
        return;
    }
    QFrame::keyPressEvent(event);
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = frameRect().adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
