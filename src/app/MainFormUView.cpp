#include "app/MainFormU.h"

#include "app/EdgeDock.h"
#include "app/NotesListView.h"
#include "app/StatusPanel.h"
#include "app/Themes.h"
#include "document/NotesDocument.h"
#include "platform/Desktop.h"
#include "shared/DebugLog.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QStatusBar>

using SharedSrc::DebugLog;

namespace {

constexpr int PasswordPanel = 4;
constexpr int FolderPanel = 5;
// Panel 0's width, fixed in the arithmetic rather than read.
constexpr int FirstPanelWidth = 60;

} // namespace

void TMainForm::SetTheme(const QString& name)
{
    DebugLog("TMainForm.SetTheme");
    MenuDock->setEdgeLines(Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge);
    ToolbarDock->setEdgeLines(Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge);

    static const std::pair<const char*, const char*> themeActions[] = {
        {"Default", "ViewDefaultThemeCmd"},       {"Roma", "ViewRomaThemeCmd"},
        {"Stripes", "ViewStripesThemeCmd"},       {"Nexos", "ViewNexosThemeCmd"},
        {"EMoney", "ViewEMoneyThemeCmd"},         {"OfficeXP", "ViewOfficeXPThemeCmd"},
        {"Athen", "ViewAthenThemeCmd"},           {"OfficeC", "ViewOfficeCThemeCmd"},
        {"Office11XP", "ViewOffice2003ThemeCmd"},
    };
    QString theme = name;
    QAction* checked = nullptr;
    for (const auto& [themeName, actionName] : themeActions) {
        if (theme == QLatin1String(themeName)) {
            checked = action(actionName);
            break;
        }
    }
    if (!checked) {
        theme = QLatin1String(Themes::FallbackName);
        checked = action("ViewOffice2003ThemeCmd");
    }
    checked->setChecked(true);

    if (Themes::hidesEdgeLines(theme)) {
        MenuDock->setEdgeLines({});
        ToolbarDock->setEdgeLines({});
    }

    m_currentTheme = theme;
    const QString sheet = Themes::styleSheet(theme);
    MenuDock->setStyleSheet(sheet);
    ToolbarDock->setStyleSheet(sheet);
}

void TMainForm::ViewDefaultThemeCmdExecute()
{
    DebugLog("TMainForm.ViewDefaultThemeCmdExecute");
    SetTheme(QStringLiteral("Default"));
}

void TMainForm::ViewOfficeXPThemeCmdExecute()
{
    DebugLog("TMainForm.ViewOfficeXPThemeCmdExecute");
    SetTheme(QStringLiteral("OfficeXP"));
}

void TMainForm::ViewStripesThemeCmdExecute()
{
    DebugLog("TMainForm.ViewStripesThemeCmdExecute");
    SetTheme(QStringLiteral("Stripes"));
}

void TMainForm::ViewAthenThemeCmdExecute()
{
    DebugLog("TMainForm.ViewAthenThemeCmdExecute");
    SetTheme(QStringLiteral("Athen"));
}

void TMainForm::ViewRomaThemeCmdExecute()
{
    DebugLog("TMainForm.ViewRomaThemeCmdExecute");
    SetTheme(QStringLiteral("Roma"));
}

void TMainForm::ViewNexosThemeCmdExecute()
{
    DebugLog("TMainForm.ViewNexosThemeCmdExecute");
    SetTheme(QStringLiteral("Nexos"));
}

void TMainForm::ViewOffice2003ThemeCmdExecute()
{
    DebugLog("TMainForm.ViewOffice2003ThemeCmdExecute");
    SetTheme(QStringLiteral("Office11XP"));
}

void TMainForm::ViewOfficeCThemeCmdExecute()
{
    DebugLog("TMainForm.ViewOfficeCThemeCmdExecute");
    SetTheme(QStringLiteral("OfficeC"));
}

void TMainForm::ViewEMoneyThemeCmdExecute()
{
    DebugLog("TMainForm.ViewEMoneyThemeCmdExecute");
    SetTheme(QStringLiteral("EMoney"));
}

bool TMainForm::gridLines() const
{
    return NotesList->gridLines();
}

void TMainForm::ViewShowGridLinesCmdExecute()
{
    DebugLog("TMainForm.ViewShowGridLinesCmdExecute");
    NotesList->setGridLines(!NotesList->gridLines());
    action("ViewShowGridLinesCmd")->setChecked(NotesList->gridLines());
}

void TMainForm::StatusBarResize()
{
    DebugLog("TMainForm.StatusBarResize");
    int x = 0;
    for (int i = 0; i < StatusPanelCount - 1; ++i) {
        m_panels.at(size_t(i))->move(x, 0);
        x += m_panels.at(size_t(i))->width();
    }
    const int othersWidth = x - m_panels.at(0)->width();
    StatusPanel* last = m_panels.at(FolderPanel);
    last->setGeometry(x, 0, std::max(0, StatusBar->width() - othersWidth - FirstPanelWidth),
                      StatusBar->height());
    for (StatusPanel* panel : m_panels)
        panel->resize(panel->width(), StatusBar->height());
}

void TMainForm::StatusBarPanelDblClick(int panel)
{
    DebugLog("TMainForm.StatusBarPanelDblClick");
    if (panel == PasswordPanel && !m_document->password().isEmpty())
        action("FileSetPasswordCmd")->trigger();
    else if (panel == FolderPanel && !m_document->fileName().isEmpty())
        Desktop::openFolder(statusPanel(FolderPanel)->text());
}

void TMainForm::NoteTextPopupPopup()
{
    DebugLog("TMainForm.NoteTextPopupPopup");
    NoteTextCopyCmd->setEnabled(NoteText->textCursor().hasSelection());
}

void TMainForm::NoteTextCopyCmdClick()
{
    DebugLog("TMainForm.NoteTextCopyCmdClick");
    NoteText->copy();
}

void TMainForm::NoteTextSelectAllCmdClick()
{
    DebugLog("TMainForm.NoteTextSelectAllCmdClick");
    NoteText->selectAll();
}

// The list recomputes its layout and scroll bars; its size is the same afterwards.
void TMainForm::FixScrollbars()
{
    DebugLog("TMainForm.FixScrollbars");
    NotesList->resize(NotesList->width() + 1, NotesList->height());
    NotesList->resize(NotesList->width() - 1, NotesList->height());
    NotesList->doItemsLayout();
}
