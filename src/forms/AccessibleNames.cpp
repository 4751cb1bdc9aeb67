#include "forms/AccessibleNames.h"

#include "forms/AccessibleInterfaces.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>

namespace AccessibleNames {
namespace {

void nameIfUnnamed(QWidget* widget, const QString& name)
{
    if (widget->accessibleName().isEmpty() && !name.isEmpty())
        widget->setAccessibleName(name);
}

} // namespace

QString plainCaption(const QString& caption)
{
    // The Chinese way: the key in brackets after the caption, which goes whole.
    static const QRegularExpression bracketedKey(QStringLiteral("\\s*\\(&[^&)]\\)"));
    QString text = caption;
    text.remove(bracketedKey);
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        result.append(text.at(i));
    }
    return result.trimmed();
}

void nameControls(QWidget* root)
{
    for (auto* label : root->findChildren<QLabel*>()) {
        if (QWidget* buddy = label->buddy()) {
            QString name = plainCaption(label->text());
            if (name.endsWith(QLatin1Char(':')))
                name.chop(1);
            nameIfUnnamed(buddy, name);
        }
    }
    for (auto* button : root->findChildren<QAbstractButton*>()) {
        // A tool button shows its command's caption stripped of the access key's mark, and the key's letter.
        if (const auto* tool = qobject_cast<QToolButton*>(button); tool && tool->defaultAction())
            nameIfUnnamed(button, plainCaption(tool->defaultAction()->text()));
        else if (button->text().contains(QLatin1Char('&')))
            nameIfUnnamed(button, plainCaption(button->text()));
    }
    // A control without a caption or a label of its own: its tool tip says what it is.
    for (auto* widget : root->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        if (widget->focusPolicy() != Qt::NoFocus && !(button && !button->text().isEmpty()))
            nameIfUnnamed(widget, widget->toolTip());
    }
    // A box that hands its focus to a list is named as the list is (Qt's font chooser).
    for (auto* widget : root->findChildren<QWidget*>()) {
        if (QWidget* proxy = widget->focusProxy())
            nameIfUnnamed(widget, proxy->accessibleName());
    }
    for (auto* group : root->findChildren<QGroupBox*>())
        nameIfUnnamed(group, plainCaption(group->title()));
    for (auto* menu : root->findChildren<QMenu*>())
        nameIfUnnamed(menu, plainCaption(menu->title()));
}

namespace {

// Names the controls of every window as it shows, Qt's own dialogs included.
class ShowFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow())
                nameControls(widget);
        }
        return false;
    }
};

} // namespace

void install()
{
    static ShowFilter* filter = nullptr;
    if (filter)
        return;
    filter = new ShowFilter(qApp);
    qApp->installEventFilter(filter);
    AccessibleInterfaces::install();
}

} // namespace AccessibleNames
