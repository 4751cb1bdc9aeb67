#pragma once

#include <QString>
#include <QStringList>

// The nine named looks of the menu bar and the toolbar, and the commands that choose them. Names are
// case-sensitive.
namespace Themes {

struct Theme
{
    const char* name; // as the settings keep it
    const char* command;
    const char* caption;
    const char* hint;
    const char* trace; // the command's handler, as the trace log names it
};

// In the order of the theme menu.
inline constexpr Theme All[] = {
    {"Default", "ViewDefaultThemeCmd", "默认(&D)", "设置默认主题", "TMainForm.ViewDefaultThemeCmdExecute"},
    {"OfficeXP", "ViewOfficeXPThemeCmd", "OfficeXP(&O)", "设置 OfficeXP 主题",
     "TMainForm.ViewOfficeXPThemeCmdExecute"},
    {"Stripes", "ViewStripesThemeCmd", "Stripes(&S)", "设置 Stripes 主题",
     "TMainForm.ViewStripesThemeCmdExecute"},
    {"Athen", "ViewAthenThemeCmd", "Athen(&A)", "设置 Athen 主题", "TMainForm.ViewAthenThemeCmdExecute"},
    {"Roma", "ViewRomaThemeCmd", "Roma(&R)", "设置 Roma 主题", "TMainForm.ViewRomaThemeCmdExecute"},
    {"Nexos", "ViewNexosThemeCmd", "Nexos(&N)", "设置 Nexos 主题", "TMainForm.ViewNexosThemeCmdExecute"},
    {"Office11XP", "ViewOffice2003ThemeCmd", "Office 2003(&F)", "设置 Office 2003 主题",
     "TMainForm.ViewOffice2003ThemeCmdExecute"},
    {"OfficeC", "ViewOfficeCThemeCmd", "OfficeC(&I)", "设置 OfficeC 主题",
     "TMainForm.ViewOfficeCThemeCmdExecute"},
    {"EMoney", "ViewEMoneyThemeCmd", "EMoney(&M)", "查看 EMoney 主题", "TMainForm.ViewEMoneyThemeCmdExecute"},
};

inline constexpr char FallbackName[] = "Office11XP";

// The index of `name` in All; -1 for an unknown name.
int indexOf(const QString& name);

// The style sheet for the docks holding the menu bar and the toolbar; empty for an unknown name.
QString styleSheet(const QString& name);
// Themes that draw the bars flat, without the docks' edge lines.
bool hidesEdgeLines(const QString& name);

} // namespace Themes
