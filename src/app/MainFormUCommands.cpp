#include "app/MainFormU.h"

#include "app/Themes.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "shared/DebugLog.h"
#include "shared/NoteFields.h"

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
    const char* caption;
    const char* hint;
    const char* shortcut; // empty: none, or set in code
    Images::Index image;
    Handler handler;
};

// The four priority commands, one handler for all: each sets its priority index.
struct PriorityCommand
{
    const char* name;
    const char* caption;
    const char* hint;
    const char* shortcut;
    const char* trace; // the command's handler, as the trace log names it
};

constexpr PriorityCommand PriorityCommands[] = {
    {"NotesSetLowPriorityCmd", "设置低优先级(&L)", "设置低优先级", "F5",
     "TMainForm.NotesSetLowPriorityCmdExecute"},
    {"NotesSetMediumPriorityCmd", "设置标准优先级(&M)", "设置标准优先级", "F6",
     "TMainForm.NotesSetMediumPriorityCmdExecute"},
    {"NotesSetHighPriorityCmd", "设置高优先级(&H)", "设置高优先级", "F7",
     "TMainForm.NotesSetHighPriorityCmdExecute"},
    {"NotesSetVeryHighPriorityCmd", "设置最高优先级(&V)", "设置最高优先级", "F8",
     "TMainForm.NotesSetVeryHighPriorityCmdExecute"},
};

} // namespace

QAction* TMainForm::addCommand(const char* name, const char* caption, const char* hint, const char* shortcut,
                               int image)
{
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setObjectName(QLatin1String(name));
    // The hint is the toolbar button's tooltip only: the menu bar shows no hints, so none of them takes
    // over the status bar's panels.
    a->setToolTip(QString::fromUtf8(hint));
    if (*shortcut)
        a->setShortcuts(QKeySequence::listFromString(QLatin1String(shortcut), QKeySequence::PortableText));
    // Window-wide, so that the keys work wherever the focus is in the window, the list included.
    a->setShortcutContext(Qt::WindowShortcut);
    if (image != Images::None)
        a->setIcon(this->image(image));
    addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
}

void TMainForm::createCommandTable()
{
    // clang-format off
    static const Command commands[] = {
        {"FileNewWindowCmd", "新建窗口(&W)", "新建 Quillet 窗口", "Ctrl+W", Images::NewWindow, &TMainForm::FileNewWindowCmdExecute},
        {"FileNewCmd", "新建(&N)", "新建", "Ctrl+N", Images::New, &TMainForm::FileNewCmdExecute},
        {"FileOpenCmd", "打开(&O)", "打开", "Ctrl+O", Images::Open, &TMainForm::FileOpenCmdExecute},
        {"FileSaveCmd", "保存(&S)", "保存", "Ctrl+S", Images::Save, &TMainForm::FileSaveCmdExecute},
        {"FileSaveAsCmd", "另存为(&A)", "另存为", "Ctrl+Alt+S", Images::SaveAs, &TMainForm::FileSaveAsCmdExecute},
        {"FileClearRecentList", "清除(&C)", "清除最近使用的文件列表", "", Images::None, &TMainForm::FileClearRecentListExecute},
        {"FileImportCmd", "导入(&I)", "导入", "Ctrl+I", Images::None, &TMainForm::FileImportCmdExecute},
        {"FileExportCmd", "导出(&E)", "导出", "Ctrl+E", Images::None, &TMainForm::FileExportCmdExecute},
        {"FileSetPasswordCmd", "设置密码(&P)", "设置密码", "F4", Images::Password, &TMainForm::FileSetPasswordCmdExecute},
        {"FileExitCmd", "退出(&X)", "退出", "", Images::Exit, &TMainForm::FileExitCmdExecute},
        {"NotesAddCmd", "添加(&A)", "添加新记事本", "Ins", Images::Add, &TMainForm::NotesAddCmdExecute},
        {"NotesEditCmd", "编辑(&E)", "编辑记事本", "", Images::Edit, &TMainForm::NotesEditCmdExecute},
        {"NotesDeleteCmd", "删除(&D)", "删除记事本", "Del", Images::Delete, &TMainForm::NotesDeleteCmdExecute},
        {"NotesMoveUpCmd", "上移(&U)", "上移", "", Images::MoveUp, &TMainForm::NotesMoveUpCmdExecute},
        {"NotesMoveDownCmd", "下移(&O)", "下移", "", Images::MoveDown, &TMainForm::NotesMoveDownCmdExecute},
        {"NotesDoneUndoneCmd", "完成/未完成(&N)", "设置完成/未完成", "F9", Images::DoneUndone, &TMainForm::NotesDoneUndoneCmdExecute},
        {"NotesFindCmd", "查找(&F)...", "查找一个记事本", "Ctrl+F", Images::Find, &TMainForm::NotesFindCmdExecute},
        {"NotesSortCmd", "排列(&S)", "排列记事本列表", "Ctrl+Q", Images::Sort, &TMainForm::NotesSortCmdExecute},
        {"NotesUndoCmd", "撤销(&Z)", "撤销", "Ctrl+Z", Images::None, &TMainForm::NotesUndoCmdExecute},
        {"NotesRedoCmd", "重做(&R)", "重做", "Ctrl+Y; Ctrl+Shift+Z", Images::None, &TMainForm::NotesRedoCmdExecute},
        {"ViewMinimizeToTrayCmd", "最小化到系统托盘(&M)", "最小化到系统托盘", "F12", Images::ToTray, &TMainForm::ViewMinimizeToTrayCmdExecute},
        {"ViewShowGridLinesCmd", "显示网格线(&S)", "显示/隐藏网格线", "Ctrl+G", Images::None, &TMainForm::ViewShowGridLinesCmdExecute},
        {"ViewFilterCmd", "筛选(&L)", "按文字筛选记事本列表", "Ctrl+Shift+F", Images::None, &TMainForm::ViewFilterCmdExecute},
        {"ViewHideDoneCmd", "隐藏已完成(&H)", "显示/隐藏已完成的记事本", "", Images::None, &TMainForm::ViewHideDoneCmdExecute},
        {"ViewOptionsCmd", "选项", "编辑选项", "F11", Images::Options, &TMainForm::ViewOptionsCmdExecute},
        {"HelpContentsCmd", "目录(&C)", "帮助目录", "F1", Images::Help, &TMainForm::HelpContentsCmdExecute},
        {"HelpAboutCmd", "关于(&A)", "关于", "", Images::About, &TMainForm::HelpAboutCmdExecute},
    };
    // clang-format on
    for (const Command& command : commands) {
        QAction* a = addCommand(command.name, command.caption, command.hint, command.shortcut, command.image);
        connect(a, &QAction::triggered, this, Guarded::slot(this, command.handler));
    }
    action("ViewShowGridLinesCmd")->setCheckable(true);
    action("ViewHideDoneCmd")->setCheckable(true);

    // The priority and theme commands each share one handler, which learns the choice from the action.
    auto* priorities = new QActionGroup(this);
    priorities->setExclusive(false);
    for (size_t i = 0; i < std::size(PriorityCommands); ++i) {
        const PriorityCommand& command = PriorityCommands[i];
        QAction* a = addCommand(command.name, command.caption, command.hint, command.shortcut, Images::None);
        a->setData(int(i));
        priorities->addAction(a);
    }
    connect(priorities, &QActionGroup::triggered, this, [this](QAction* a) {
        Guarded::run([&] {
            const int priority = a->data().toInt();
            SharedSrc::DebugLog(PriorityCommands[size_t(priority)].trace);
            SetPriority(SharedSrc::GetPriorityByIndex(quint16(priority)));
        });
    });

    m_themeGroup = new QActionGroup(this);
    m_themeGroup->setExclusive(true);
    for (size_t i = 0; i < std::size(Themes::All); ++i) {
        const Themes::Theme& theme = Themes::All[i];
        QAction* a = addCommand(theme.command, theme.caption, theme.hint, "", Images::None);
        a->setCheckable(true);
        a->setData(int(i));
        m_themeGroup->addAction(a);
    }
    connect(m_themeGroup, &QActionGroup::triggered, this, [this](QAction* a) {
        Guarded::run([&] {
            const Themes::Theme& theme = Themes::All[size_t(a->data().toInt())];
            SharedSrc::DebugLog(theme.trace);
            SetTheme(QLatin1String(theme.name));
        });
    });
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
    connect(FileRecentFilesMenu, &QMenu::aboutToShow, this,
            Guarded::slot(this, &TMainForm::FileRecentFilesMenuPopup));
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
    TBXThemeMenu->addActions(m_themeGroup->actions());
    add(viewMenu, {"", "ViewFilterCmd", "ViewHideDoneCmd", "", "ViewOptionsCmd"});

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
    ToolbarClearMRUCmd = openMenu->addAction(QStringLiteral("清除(&C)"), this,
                                             Guarded::slot(this, &TMainForm::ToolbarClearMRUCmdClick));
    ToolbarClearMRUCmd->setObjectName(QStringLiteral("ToolbarClearMRUCmd"));
    ToolbarOpenCmd->setMenu(openMenu);
    connect(openMenu, &QMenu::aboutToShow, this, Guarded::slot(this, &TMainForm::ToolbarOpenCmdPopup));
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
