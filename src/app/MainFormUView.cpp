#include "app/MainFormU.h"

#include "app/EdgeDock.h"
#include "app/NotesListView.h"
#include "app/StatusPanel.h"
#include "app/Themes.h"
#include "document/NotesDocument.h"
#include "platform/Desktop.h"
#include "shared/DebugLog.h"

#include <QAction>
#include <QActionGroup>
#include <QPlainTextEdit>
#include <QStatusBar>

using SharedSrc::DebugLog;

namespace {

constexpr int CountPanels = 3;
constexpr int CountDigits = 7;

// A count panel's text with its number widened to at least seven digits, so that the panel does not
// change width with every note and fits any list that is likely.
QString widestCountText(const QString& text)
{
    qsizetype digits = 0;
    while (digits < text.size() && text.at(text.size() - 1 - digits).isDigit())
        ++digits;
    return text.chopped(digits) + QString(std::max<qsizetype>(digits, CountDigits), QLatin1Char('0'));
}

} // namespace

void TMainForm::SetTheme(const QString& name)
{
    DebugLog("TMainForm.SetTheme");
    MenuDock->setEdgeLines(Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge);
    ToolbarDock->setEdgeLines(Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge);

    int index = Themes::indexOf(name);
    if (index < 0)
        index = Themes::indexOf(QLatin1String(Themes::FallbackName));
    m_themeGroup->actions().at(index)->setChecked(true);
    const QString theme = QLatin1String(Themes::All[size_t(index)].name);

    if (Themes::hidesEdgeLines(theme)) {
        MenuDock->setEdgeLines({});
        ToolbarDock->setEdgeLines({});
    }

    m_currentTheme = theme;
    const QString sheet = Themes::styleSheet(theme);
    MenuDock->setStyleSheet(sheet);
    ToolbarDock->setStyleSheet(sheet);
}

bool TMainForm::gridLines() const
{
    return NotesList->showGrid();
}

void TMainForm::ViewShowGridLinesCmdExecute()
{
    DebugLog("TMainForm.ViewShowGridLinesCmdExecute");
    NotesList->setShowGrid(!NotesList->showGrid());
    action("ViewShowGridLinesCmd")->setChecked(NotesList->showGrid());
}

// The count panels keep their design width or grow to fit their text in the font in use; the folder
// panel takes what is left.
void TMainForm::StatusBarResize()
{
    DebugLog("TMainForm.StatusBarResize");
    int x = 0;
    for (int i = 0; i < StatusPanelCount - 1; ++i) {
        StatusPanel* panel = m_panels.at(size_t(i));
        if (i < CountPanels)
            panel->resize(std::max(StatusPanelWidths.at(size_t(i)),
                                   panel->fittingWidth(widestCountText(panel->text()))),
                          panel->height());
        panel->move(x, 0);
        x += panel->width();
    }
    // The count of the notes shown, while there is one, at the right end.
    int right = StatusBar->width();
    if (!m_shownPanel->isHidden()) {
        const int width = m_shownPanel->fittingWidth(widestCountText(m_shownPanel->text()));
        right -= width;
        m_shownPanel->setGeometry(right, 0, width, StatusBar->height());
    }
    StatusPanel* last = m_panels.at(PanelFolder);
    last->setGeometry(x, 0, std::max(0, right - x), StatusBar->height());
    for (StatusPanel* panel : m_panels)
        panel->resize(panel->width(), StatusBar->height());
}

void TMainForm::StatusBarPanelDblClick(int panel)
{
    DebugLog("TMainForm.StatusBarPanelDblClick");
    if (panel == PanelPassword && !m_document->password().isEmpty())
        action("FileSetPasswordCmd")->trigger();
    else if (panel == PanelFolder && !m_document->fileName().isEmpty())
        Desktop::openFolder(statusPanel(PanelFolder)->text());
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
    NotesList->doItemsLayout();
}
