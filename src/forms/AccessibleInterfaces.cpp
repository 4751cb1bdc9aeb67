#include "forms/AccessibleInterfaces.h"

#include "forms/AccessibleNames.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

namespace AccessibleInterfaces {
namespace {

// A command in a menu or the menu bar, named by its caption without the access key's mark.
class MenuItem : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit MenuItem(QAction* action) : m_action(action) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    bool isValid() const override { return m_action && owner(); }
    QObject* object() const override { return m_action; }
    QWindow* window() const override
    {
        QWidget* menu = owner();
        return menu ? menu->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner()); }
    int childCount() const override { return m_action->menu() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && m_action->menu() ? QAccessible::queryAccessibleInterface(m_action->menu())
                                              : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && m_action->menu() && child->object() == m_action->menu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override
    {
        switch (type) {
        case QAccessible::Name:
            return AccessibleNames::plainCaption(m_action->text());
        case QAccessible::Accelerator:
            return m_action->shortcut().toString(QKeySequence::NativeText);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        QWidget* menu = owner();
        QRect area;
        if (auto* popup = qobject_cast<QMenu*>(menu))
            area = popup->actionGeometry(m_action);
        else if (auto* bar = qobject_cast<QMenuBar*>(menu))
            area = bar->actionGeometry(m_action);
        return area.isValid() ? QRect(menu->mapToGlobal(area.topLeft()), area.size()) : QRect();
    }

    QAccessible::Role role() const override
    {
        return m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        QWidget* menu = owner();
        state.invisible = !m_action->isVisible() || !menu || !menu->isVisible();
        state.disabled = !m_action->isEnabled();
        state.focusable = !m_action->isSeparator();
        state.checkable = m_action->isCheckable();
        state.checked = m_action->isChecked();
        state.hasPopup = m_action->menu() != nullptr;
        const QAction* active = nullptr;
        if (auto* popup = qobject_cast<QMenu*>(menu))
            active = popup->activeAction();
        else if (auto* bar = qobject_cast<QMenuBar*>(menu))
            active = bar->activeAction();
        state.focused = state.hotTracked = active == m_action;
        return state;
    }

    QStringList actionNames() const override
    {
        if (m_action->isSeparator() || !m_action->isEnabled())
            return {};
        return {m_action->menu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& actionName) override
    {
        if (!m_action->isEnabled())
            return;
        if (actionName == pressAction()) {
            m_action->trigger();
        } else if (actionName == showMenuAction()) {
            if (auto* popup = qobject_cast<QMenu*>(owner()))
                popup->setActiveAction(m_action);
            else if (auto* bar = qobject_cast<QMenuBar*>(owner()))
                bar->setActiveAction(m_action);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    // The menu or menu bar the item is in: the one showing, else the first.
    QWidget* owner() const
    {
        if (!m_action)
            return nullptr;
        QWidget* first = nullptr;
        for (QObject* object : m_action->associatedObjects()) {
            auto* widget = qobject_cast<QWidget*>(object);
            if (!qobject_cast<QMenu*>(object) && !qobject_cast<QMenuBar*>(object))
                continue;
            if (widget->isVisible())
                return widget;
            if (!first)
                first = widget;
        }
        return first;
    }

    QPointer<QAction> m_action;
};

// A drop-down list named as a box is, by its label, with the entry it shows as its value. Qt names it
// by that entry on Linux, so that the list's label is never said.
class ComboBox : public QAccessibleWidget
{
public:
    explicit ComboBox(QWidget* widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(type);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override
    {
        if (actionName == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QAction"))
        return new MenuItem(static_cast<QAction*>(object));
    // Only a list that cannot be typed in: an editable one is a text box with its own name.
    if (className == QLatin1String("QComboBox") && !static_cast<QComboBox*>(object)->isEditable())
        return new ComboBox(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&factory);
}

} // namespace AccessibleInterfaces
