#include "app/Themes.h"

#include <array>

namespace Themes {
namespace {

struct Look
{
    const char* menuBar;    // background of the menu bar
    const char* toolBar;    // background of the toolbar
    const char* text;       // menu bar text
    const char* hot;        // background of a hot item
    const char* hotBorder;  // frame of a hot item
    const char* menuSide;   // the icon column of drop-down menus
    const char* menuBorder; // frame of drop-down menus
};

// Each look takes its colours from the family of desktop themes it is named after; in the order of All.
constexpr std::array<Look, std::size(All)> Looks{{
    {"#ece9d8", "#ece9d8", "#000000", "#c8d4e8", "#7f9db9", "#f5f4ee", "#8d8d8d"},
    {"#f8f7f5", "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfaf8, stop:1 #e8e6e1)", "#000000",
     "#c1d2ee", "#316ac5", "#eeede8", "#8a867a"},
    {"#e7e7e7",
     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f4f4, stop:0.49 #e2e2e2, stop:0.5 #d6d6d6, "
     "stop:1 #eaeaea)",
     "#1a1a1a", "#ffe7a2", "#c9a23c", "#e6e6e6", "#909090"},
    {"qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f3f6fb, stop:1 #dde5f1)",
     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfefe, stop:1 #cfdbeb)", "#1c2a3a", "#b6cbe8",
     "#6f8fbf", "#e9eef6", "#8da2c0"},
    {"#f2e8da", "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f8efe2, stop:1 #e3d1b8)", "#3b2412",
     "#e9c39b", "#a0522d", "#efe3d2", "#a88a6a"},
    {"#2f3942", "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e6ebef, stop:1 #aebbc7)", "#f0f3f5",
     "#6e8aa3", "#a9c4dc", "#e4e8ec", "#2f3942"},
    {"qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #9ebfec, stop:1 #c4daf9)",
     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3effe, stop:0.6 #c4daf9, stop:1 #8db2e3)", "#000000",
     "#ffeec2", "#000080", "#d9e6fa", "#002d96"},
    {"qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #d9d9a7, stop:1 #f2f1e4)",
     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7f7ec, stop:0.6 #e4e4c4, stop:1 #b5c48f)", "#000000",
     "#ffeec2", "#3f5d38", "#eeeed9", "#75816b"},
    {"#e7ede4", "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f8f2, stop:1 #cfdcc9)", "#14301a",
     "#a6d8a6", "#2e7d32", "#e3ebdf", "#5e8a62"},
}};

const Look* find(const QString& name)
{
    const int index = indexOf(name);
    return index < 0 ? nullptr : &Looks[size_t(index)];
}

} // namespace

int indexOf(const QString& name)
{
    for (size_t i = 0; i < std::size(All); ++i) {
        if (name == QLatin1String(All[i].name))
            return int(i);
    }
    return -1;
}

QString styleSheet(const QString& name)
{
    const Look* look = find(name);
    if (!look)
        return {};
    const QString l = QStringLiteral(
        "EdgeDock#MenuDock, QMenuBar { background: %1; }"
        "QMenuBar { color: %3; border: none; padding: 0px; }"
        "QMenuBar::item { background: transparent; padding: 2px 8px; border: 1px solid transparent; }"
        "QMenuBar::item:selected { background: %4; border-color: %5; color: #000000; }"
        "QMenuBar::item:pressed { background: %6; border-color: %7; color: #000000; }"
        "EdgeDock#ToolbarDock, QToolBar { background: %2; border: none; }"
        "QToolBar { spacing: 0px; padding: 1px 1px; }"
        "QToolBar::separator { width: 1px; background: %7; margin: 4px 2px; }"
        "QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 1px; }"
        "QToolButton:hover { background: %4; border-color: %5; }"
        "QToolButton:pressed, QToolButton:checked { background: %6; border-color: %5; }"
        // The style draws no focus of its own on a button the sheet styles.
        "QToolButton:focus { border: 1px dotted %5; }"
        "QToolButton[popupMode=\"1\"] { padding-right: 9px; }"
        "QToolButton::menu-button { border: 1px solid transparent; width: 8px; }"
        "QToolButton::menu-button:hover { border-color: %5; background: %4; }"
        "QMenu { background: #ffffff; color: #000000; border: 1px solid %7; }"
        "QMenu::item { padding: 4px 22px 4px 30px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: %4; border-color: %5; }"
        "QMenu::item:disabled { color: #8d8d8d; }"
        "QMenu::icon { padding-left: 6px; }"
        "QMenu::separator { height: 1px; background: %6; margin: 3px 4px 3px 28px; }");
    return l.arg(QLatin1String(look->menuBar), QLatin1String(look->toolBar), QLatin1String(look->text),
                 QLatin1String(look->hot), QLatin1String(look->hotBorder), QLatin1String(look->menuSide),
                 QLatin1String(look->menuBorder));
}

bool hidesEdgeLines(const QString& name)
{
    return name.contains(QLatin1String("Office")) || name == QLatin1String("Athen");
}

} // namespace Themes
