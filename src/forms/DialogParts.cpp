#include "forms/DialogParts.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace DialogParts {

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(geometry);
    return result;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, QWidget* buddy)
{
    auto* result = new QLabel(text, parent);
    if (name)
        result->setObjectName(QLatin1String(name));
    result->setBuddy(buddy);
    result->move(left, top);
    result->adjustSize();
    return result;
}

QLabel* picture(QWidget* parent, const char* name, const QString& resource, const QRect& geometry)
{
    auto* result = new QLabel(parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(geometry);
    const QPixmap pixmap = QIcon(resource).pixmap(geometry.size());
    if (!pixmap.isNull())
        result->setPixmap(pixmap);
    return result;
}

QFrame* bevel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* result = new QFrame(parent);
    if (name)
        result->setObjectName(QLatin1String(name));
    result->setFrameShape(QFrame::HLine);
    result->setFrameShadow(QFrame::Sunken);
    result->setGeometry(geometry);
    return result;
}

QLineEdit* passwordBox(QWidget* parent, const char* name)
{
    auto* result = new QLineEdit(parent);
    result->setObjectName(QLatin1String(name));
    result->setEchoMode(QLineEdit::Password);
    result->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    return result;
}

void tabOrder(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void takeFont(QWidget* dialog, const QWidget* window)
{
    if (window)
        dialog->setFont(window->font());
}

} // namespace DialogParts
