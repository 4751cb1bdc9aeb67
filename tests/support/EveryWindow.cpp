#include "EveryWindow.h"

#include "app/MainFormU.h"
#include "forms/AboutFormU.h"
#include "forms/AddEditFormU.h"
#include "forms/EnterPassFormU.h"
#include "forms/FindFormU.h"
#include "forms/FontColorDialog.h"
#include "forms/OptionsFormU.h"
#include "forms/SettPassFormU.h"
#include "forms/SortFormU.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

QList<WindowMaker> everyWindow()
{
    return {
        {"main window", [](TMainForm& form) -> QWidget* { return &form; }},
        {"add/edit",
         [](TMainForm& form) -> QWidget* {
             auto* dialog = new TAddEditForm(form);
             dialog->setWindowTitle(u"添加"_s);
             return dialog;
         }},
        {"options", [](TMainForm& form) -> QWidget* { return new TOptionsForm(form); }},
        {"font",
         [](TMainForm& form) -> QWidget* { return new FontColorDialog(form.font(), Qt::black, &form); }},
        {"find", [](TMainForm& form) -> QWidget* { return new TFindForm(form); }},
        {"sort", [](TMainForm& form) -> QWidget* { return new TSortForm(form); }},
        {"enter password",
         [](TMainForm& form) -> QWidget* {
             return new TEnterPassForm(&form, form.font(), form.windowIcon());
         }},
        {"set password", [](TMainForm& form) -> QWidget* { return new TSetPassForm(form); }},
        {"about", [](TMainForm& form) -> QWidget* { return new TAboutForm(&form, form.windowIcon()); }},
    };
}

namespace {

bool actsOn(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::MenuItem:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Link:
    case QAccessible::PageTab:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

bool showsData(QAccessible::Role role)
{
    return role == QAccessible::Table || role == QAccessible::List || role == QAccessible::Tree;
}

void walk(QAccessibleInterface* node, const QString& trail, QSet<QAccessibleInterface*>& seen,
          QStringList& faults)
{
    if (!node || seen.contains(node) || seen.size() > 5000)
        return;
    seen.insert(node);
    static const QRegularExpression keyMark(u"\\(\\w\\)$|&"_s);
    QHash<QString, int> siblings;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || !child->isValid())
            continue;
        const QAccessible::Role role = child->role();
        const QAccessible::State state = child->state();
        const QString name = child->text(QAccessible::Name);
        const QString where = trail + u" > "_s + QString::number(role, 16) + u" \""_s + name + u'"' +
                              (child->object() ? u" ("_s + child->object()->objectName() + u')' : QString());
        const bool reachable = !state.invisible || role == QAccessible::MenuItem;
        if ((actsOn(role) || state.focusable) && role != QAccessible::ScrollBar && reachable) {
            if (name.trimmed().isEmpty())
                faults << u"unnamed: "_s + where;
            else if (keyMark.match(name).hasMatch())
                faults << u"access key in the name: "_s + where;
            else if (++siblings[QString::number(role) + u'\n' + name] == 2)
                faults << u"name given twice: "_s + where;
        }
        if (!showsData(role))
            walk(child, where, seen, faults);
    }
}

// The letter after a single "&", upper case; empty without one.
QString accessKey(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return caption.at(i + 1).toUpper();
        ++i;
    }
    return {};
}

void findRepeats(const QString& where, const QStringList& captions, QStringList& repeats)
{
    QHash<QString, QString> seen;
    for (const QString& caption : captions) {
        const QString key = accessKey(caption);
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            repeats << where + u": Alt+"_s + key + u" for \""_s + seen.value(key) + u"\" and \""_s + caption +
                           u'"';
        else
            seen.insert(key, caption);
    }
}

QStringList actionTexts(const QWidget* holder)
{
    QStringList texts;
    for (const QAction* action : holder->actions()) {
        if (!action->isSeparator() && action->isVisible())
            texts << action->text();
    }
    return texts;
}

} // namespace

QStringList accessibilityFaults(QWidget* window)
{
    QStringList faults;
    QSet<QAccessibleInterface*> seen;
    walk(QAccessible::queryAccessibleInterface(window), window->windowTitle(), seen, faults);
    return faults;
}

QStringList repeatedAccessKeys(QWidget* window)
{
    QStringList repeats;
    // The window's own controls, menus aside: each of those is a list of its own.
    QStringList captions;
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isHidden())
            captions << button->text();
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && !label->isHidden())
            captions << label->text();
    }
    for (const QGroupBox* group : window->findChildren<QGroupBox*>())
        captions << group->title();
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        captions << actionTexts(bar);
    findRepeats(window->windowTitle(), captions, repeats);
    for (const QMenu* menu : window->findChildren<QMenu*>())
        findRepeats(window->windowTitle() + u" / "_s + menu->title() + menu->objectName(), actionTexts(menu),
                    repeats);
    return repeats;
}
