#include "app/MainFormU.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

using Handler = void (TMainForm::*)();

struct Command
{
    const char* name;
    const char* category;
    const char* caption;
    const char* hint;
    const char* shortcut; // empty: none, or set in code; several are separated by "; "
    int image;            // -1: none
    Handler handler;      // nullptr: the command's handler is not wired up yet
};

} // namespace

void TMainForm::createCommandTable()
{
    // clang-format off
    static const Command commands[] = {
        {"FileNewWindowCmd", "File", "新建窗口(&W)", "新建 Quillet 窗口", "Ctrl+W", 18, &TMainForm::FileNewWindowCmdExecute},
        {"FileNewCmd", "File", "新建(&N)", "新建", "Ctrl+N", 0, &TMainForm::FileNewCmdExecute},
        {"FileOpenCmd", "File", "打开(&O)", "打开", "Ctrl+O", 1, &TMainForm::FileOpenCmdExecute},
        {"FileSaveCmd", "File", "保存(&S)", "保存", "Ctrl+S", 2, &TMainForm::FileSaveCmdExecute},
        {"FileSaveAsCmd", "File", "另存为(&A)", "另存为", "Ctrl+Alt+S", 17, &TMainForm::FileSaveAsCmdExecute},
        {"FileClearRecentList", "File", "清除(&C)", "清除最近使用的文件列表", "", -1, &TMainForm::FileClearRecentListExecute},
        {"FileImportCmd", "File", "导入(&I)", "导入", "Ctrl+I", -1, &TMainForm::FileImportCmdExecute},
        {"FileExportCmd", "File", "导出(&E)", "导出", "Ctrl+E", -1, &TMainForm::FileExportCmdExecute},
        {"FileSetPasswordCmd", "File", "设置密码(&P)", "设置密码", "F4", 6, &TMainForm::FileSetPasswordCmdExecute},
        {"FileExitCmd", "File", "退出(&X)", "退出", "", 19, &TMainForm::FileExitCmdExecute},
        {"NotesAddCmd", "Notes", "添加(&A)", "添加新记事本", "Ins", 7, &TMainForm::NotesAddCmdExecute},
        {"NotesEditCmd", "Notes", "编辑(&E)", "编辑记事本", "", 8, &TMainForm::NotesEditCmdExecute},
        {"NotesDeleteCmd", "Notes", "删除(&D)", "删除记事本", "Del", 3, &TMainForm::NotesDeleteCmdExecute},
        {"NotesMoveUpCmd", "Notes", "上移(&U)", "上移", "", 11, &TMainForm::NotesMoveUpCmdExecute},
        {"NotesMoveDownCmd", "Notes", "下移(&O)", "下移", "", 10, &TMainForm::NotesMoveDownCmdExecute},
        {"NotesSetLowPriorityCmd", "Notes", "设置低优先级(&L)", "设置低优先级", "F5", -1, &TMainForm::NotesSetLowPriorityCmdExecute},
        {"NotesSetMediumPriorityCmd", "Notes", "设置标准优先级(&M)", "设置标准优先级", "F6", -1, &TMainForm::NotesSetMediumPriorityCmdExecute},
        {"NotesSetHighPriorityCmd", "Notes", "设置高优先级(&H)", "设置高优先级", "F7", -1, &TMainForm::NotesSetHighPriorityCmdExecute},
        {"NotesSetVeryHighPriorityCmd", "Notes", "设置最高优先级(&V)", "设置最高优先级", "F8", -1, &TMainForm::NotesSetVeryHighPriorityCmdExecute},
        {"NotesDoneUndoneCmd", "Notes", "完成/未完成(&N)", "设置完成/未完成", "F9", 9, &TMainForm::NotesDoneUndoneCmdExecute},
        {"NotesFindCmd", "Notes", "查找(&F)...", "查找一个记事本", "Ctrl+F", 22, &TMainForm::NotesFindCmdExecute},
        {"NotesSortCmd", "Notes", "排列(&S)", "排列记事本列表", "Ctrl+Q", 20, &TMainForm::NotesSortCmdExecute},
        {"NotesUndoCmd", "Notes", "撤销(&U)", "撤销", "Ctrl+Z", -1, &TMainForm::NotesUndoCmdExecute},
        {"NotesRedoCmd", "Notes", "重做(&R)", "重做", "Ctrl+Y; Ctrl+Shift+Z", -1, &TMainForm::NotesRedoCmdExecute},
        {"ViewMinimizeToTrayCmd", "View", "最小化到系统托盘(&M)", "最小化到系统托盘", "F12", 21, &TMainForm::ViewMinimizeToTrayCmdExecute},
        {"ViewShowGridLinesCmd", "View", "显示网格线(&S)", "显示/隐藏网格线", "Ctrl+G", -1, &TMainForm::ViewShowGridLinesCmdExecute},
        {"ViewDefaultThemeCmd", "View", "默认(&D)", "设置默认主题", "", -1, &TMainForm::ViewDefaultThemeCmdExecute},
        {"ViewOfficeXPThemeCmd", "View", "OfficeXP(&O)", "设置 OfficeXP 主题", "", -1, &TMainForm::ViewOfficeXPThemeCmdExecute},
        {"ViewStripesThemeCmd", "View", "Stripes(&S)", "设置 Stripes 主题", "", -1, &TMainForm::ViewStripesThemeCmdExecute},
        {"ViewAthenThemeCmd", "View", "Athen(&A)", "设置 Athen 主题", "", -1, &TMainForm::ViewAthenThemeCmdExecute},
        {"ViewRomaThemeCmd", "View", "Roma(&R)", "设置 Roma 主题", "", -1, &TMainForm::ViewRomaThemeCmdExecute},
        {"ViewNexosThemeCmd", "View", "Nexos(&N)", "设置 Nexos 主题", "", -1, &TMainForm::ViewNexosThemeCmdExecute},
        {"ViewOffice2003ThemeCmd", "View", "Office 2003(&F)", "设置 Office 2003 主题", "", -1, &TMainForm::ViewOffice2003ThemeCmdExecute},
        {"ViewOfficeCThemeCmd", "View", "OfficeC(&I)", "设置 OfficeC 主题", "", -1, &TMainForm::ViewOfficeCThemeCmdExecute},
        {"ViewEMoneyThemeCmd", "View", "EMoney(&M)", "查看 EMoney 主题", "", -1, &TMainForm::ViewEMoneyThemeCmdExecute},
        {"ViewOptionsCmd", "View", "选项", "编辑选项", "F11", 15, &TMainForm::ViewOptionsCmdExecute},
        {"HelpContentsCmd", "Help", "目录(&C)", "帮助目录", "F1", 4, &TMainForm::HelpContentsCmdExecute},
        {"HelpAboutCmd", "Help", "关于(&A)", "关于", "", 5, &TMainForm::HelpAboutCmdExecute},
    };
    // clang-format on

    m_themeGroup = new QActionGroup(this);
    m_themeGroup->setExclusive(true);
    for (const Command& command : commands) {
        auto* a = new QAction(QString::fromUtf8(command.caption), this);
        a->setObjectName(QLatin1String(command.name));
        a->setProperty("category", QLatin1String(command.category));
        // The hint is the toolbar button's tooltip only: the menu bar shows no hints, so none of them
        // takes over the status bar's panels.
        a->setToolTip(QString::fromUtf8(command.hint));
        if (*command.shortcut)
            a->setShortcuts(
                QKeySequence::listFromString(QLatin1String(command.shortcut), QKeySequence::PortableText));
        // Window-wide, so that the keys work wherever the focus is in the window, the list included.
        a->setShortcutContext(Qt::WindowShortcut);
        if (command.image >= 0)
            a->setIcon(image(command.image));
        if (command.handler)
            connect(a, &QAction::triggered, this, command.handler);
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }

    action("ViewShowGridLinesCmd")->setCheckable(true);
    for (const char* name : {"ViewDefaultThemeCmd", "ViewOfficeXPThemeCmd", "ViewStripesThemeCmd",
                             "ViewAthenThemeCmd", "ViewRomaThemeCmd", "ViewNexosThemeCmd",
                             "ViewOffice2003ThemeCmd", "ViewOfficeCThemeCmd", "ViewEMoneyThemeCmd"}) {
        QAction* a = action(name);
        a->setCheckable(true);
        m_themeGroup->addAction(a);
    }
}

QAction* TMainForm::action(const char* name) const
{
    return m_actions.value(QLatin1String(name));
}

void TMainForm::createMenus()
{
    const auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (*name)
                menu->addAction(action(name));
            else
                menu->addSeparator();
        }
    };
    const auto newMenu = [this](const char* name, const char* caption) {
        QMenu* menu = MainMenu->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    QMenu* fileMenu = newMenu("FileMenu", "文件(&F)");
    add(fileMenu, {"FileNewWindowCmd", "", "FileNewCmd", "FileOpenCmd", "FileSaveCmd", "FileSaveAsCmd"});
    FileRecentFilesMenu = fileMenu->addMenu(QStringLiteral("最近使用的文件(&T)"));
    FileRecentFilesMenu->setObjectName(QStringLiteral("FileRecentFilesMenu"));
    FileRecentFilesMenu->addSeparator();
    FileRecentFilesMenu->addAction(action("FileClearRecentList"));
    connect(FileRecentFilesMenu, &QMenu::aboutToShow, this, &TMainForm::FileRecentFilesMenuPopup);
    add(fileMenu, {"", "FileImportCmd", "FileExportCmd", "", "FileSetPasswordCmd", "", "FileExitCmd"});

    QMenu* notesMenu = newMenu("NotesMenu", "记事本(&N)");
    add(notesMenu, {"NotesAddCmd", "NotesEditCmd", "NotesDeleteCmd", "", "NotesMoveUpCmd", "NotesMoveDownCmd",
                    "", "NotesSetLowPriorityCmd", "NotesSetMediumPriorityCmd", "NotesSetHighPriorityCmd",
                    "NotesSetVeryHighPriorityCmd", "", "NotesDoneUndoneCmd", "", "NotesFindCmd",
                    "NotesSortCmd", "", "NotesUndoCmd", "NotesRedoCmd"});

    QMenu* viewMenu = newMenu("ViewMenu", "查看(&V)");
    add(viewMenu, {"ViewMinimizeToTrayCmd", "ViewShowGridLinesCmd", ""});
    TBXThemeMenu = viewMenu->addMenu(QStringLiteral("主题"));
    TBXThemeMenu->setObjectName(QStringLiteral("TBXThemeMenu"));
    add(TBXThemeMenu, {"ViewDefaultThemeCmd", "ViewOfficeXPThemeCmd", "ViewStripesThemeCmd",
                       "ViewAthenThemeCmd", "ViewRomaThemeCmd", "ViewNexosThemeCmd", "ViewOffice2003ThemeCmd",
                       "ViewOfficeCThemeCmd", "ViewEMoneyThemeCmd"});
    add(viewMenu, {"", "ViewOptionsCmd"});

    QMenu* helpMenu = newMenu("HelpMenu", "帮助(&H)");
    add(helpMenu, {"HelpContentsCmd", "", "HelpAboutCmd"});
}

void TMainForm::createToolbar()
{
    Toolbar->addAction(action("FileNewCmd"));

    ToolbarOpenCmd = new QToolButton(Toolbar);
    ToolbarOpenCmd->setObjectName(QStringLiteral("ToolbarOpenCmd"));
    ToolbarOpenCmd->setDefaultAction(action("FileOpenCmd"));
    ToolbarOpenCmd->setPopupMode(QToolButton::MenuButtonPopup);
    auto* openMenu = new QMenu(ToolbarOpenCmd);
    openMenu->setObjectName(QStringLiteral("ToolbarOpenMenu"));
    openMenu->addSeparator();
    ToolbarClearMRUCmd =
        openMenu->addAction(QStringLiteral("清除(&C)"), this, &TMainForm::ToolbarClearMRUCmdClick);
    ToolbarClearMRUCmd->setObjectName(QStringLiteral("ToolbarClearMRUCmd"));
    ToolbarOpenCmd->setMenu(openMenu);
    connect(openMenu, &QMenu::aboutToShow, this, &TMainForm::ToolbarOpenCmdPopup);
    Toolbar->addWidget(ToolbarOpenCmd);

    const auto add = [this](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (*name)
                Toolbar->addAction(action(name));
            else
                Toolbar->addSeparator();
        }
    };
    add({"FileSaveCmd",
         "",
         "FileNewWindowCmd",
         "ViewMinimizeToTrayCmd",
         "",
         "FileSetPasswordCmd",
         "ViewOptionsCmd",
         "",
         "NotesAddCmd",
         "NotesEditCmd",
         "NotesDeleteCmd",
         "NotesSortCmd",
         "NotesFindCmd",
         "",
         "NotesMoveUpCmd",
         "NotesMoveDownCmd",
         "",
         "NotesDoneUndoneCmd",
         "",
         "HelpContentsCmd",
         "HelpAboutCmd",
         "",
         "FileExitCmd"});
}
