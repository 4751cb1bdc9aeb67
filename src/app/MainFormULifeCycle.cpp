#include "app/MainFormU.h"

#include "app/NotesFilterModel.h"
#include "app/NotesListView.h"
#include "app/Themes.h"
#include "document/NotesDocument.h"
#include "document/RecentFiles.h"
#include "document/RecoveryFiles.h"
#include "forms/AboutFormU.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "platform/Desktop.h"
#include "platform/SystemInfo.h"
#include "shared/AppPaths.h"
#include "shared/CommandLine.h"
#include "shared/DebugLog.h"
#include "shared/ErrorLog.h"
#include "shared/IniFile.h"
#include "shared/Settings.h"
#include "shared/Version.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

// Tahoma 8 pt in the window-text colour, with the character set the window was designed with (OEM, 255);
// the list and the note pane take it unless the settings give their own.
FontValue windowFont()
{
    FontValue font;
    font.charset = 255;
    return font;
}

// Where the window that started this one stands ("x,y"), set for the new-window command.
constexpr char OpenerPositionVariable[] = "QUILLET_OPENER_POS";

// A window started by the new-window command would open exactly over its opener when both are centred,
// and the user would see nothing happen: it steps aside instead, down and right where the screen allows.
void stepAsideFromOpener(QWidget* window)
{
    const QStringList parts = qEnvironmentVariable(OpenerPositionVariable).split(QLatin1Char(','));
    // Not handed on to what this window starts in turn.
    qunsetenv(OpenerPositionVariable);
    bool validX = false;
    bool validY = false;
    const QPoint opener(parts.value(0).toInt(&validX), parts.value(1).toInt(&validY));
    if (!validX || !validY || opener != window->pos())
        return;
    constexpr int Step = 32;
    QPoint target = opener + QPoint(Step, Step);
    const QScreen* screen = window->screen();
    if (screen && !screen->availableGeometry().contains(QRect(target, window->frameGeometry().size())))
        target = opener - QPoint(Step, Step);
    window->move(target);
}

} // namespace

void TMainForm::FormCreate()
{
    Guarded::setHandler(
        [this](const QString& className, const QString& message) { HandleException(className, message); });
    // A debug run starts a fresh log, whose first entry is this handler's own trace.
    if (CommandLine::hasSwitch(m_arguments, u"debug"))
        QFile::remove(AppPaths::debugLogPath());
    DebugLog("TMainForm.FormCreate");

    IniFileName = AppPaths::iniFileName();
    // Only the window's own title: an application display name would be appended to every title.
    setWindowTitle(windowTitle() + QLatin1String(" v") + QLatin1String(Quillet::ProgramVersion));

    FileExt = QStringLiteral(".qlt");
    FileFilter = {QStringLiteral("Quillet 文件 (*") + FileExt + QLatin1Char(')'),
                  QStringLiteral("所有文件 (*)")};
    CmdLineOpen = false;
    ExitRequested = false;
    FirstActivation = true;

    action("FileExitCmd")->setShortcut(QKeySequence(Qt::Key_Escape));
    action("NotesMoveUpCmd")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    action("NotesMoveDownCmd")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));

    action("FileNewCmd")->trigger();
    // From here on the counts follow the notes; the empty document's are shown from the start.
    CountNotes();

    // Tahoma 8 pt, or the closest face the desktop has.
    setFont(windowFont().toQFont());

    m_iniFile = std::make_unique<::IniFile>(IniFileName);
    m_addEditFont = FontValue();
    applySettings();

    const QScreen* screen = this->screen();
    if (!restoreWindowGeometry() && screen && Desktop::placesWindows())
        move(screen->availableGeometry().center() - rect().center());
    stepAsideFromOpener(this);
}

void TMainForm::applySettings()
{
    const ::IniFile& ini = *m_iniFile;
    m_mruList = RecentFiles::fromSettings(Settings::recentFileValues(ini, RecentFiles::MaxCount));
    updateRecentFilesMenus();

    action("ViewShowGridLinesCmd")->setChecked(Settings::isOn(ini, Settings::Switch::GridLines));
    NotesList->setShowGrid(action("ViewShowGridLinesCmd")->isChecked());
    action("ViewHideDoneCmd")->setChecked(Settings::isOn(ini, Settings::Switch::HideDone));
    applyFilter();
    AutoSaveOnAddEdit = Settings::isOn(ini, Settings::Switch::AutoSaveOnAddEdit);

    FontValue listFont = windowFont();
    FontValue textFont = windowFont();
    SharedSrc::LoadFontFromIni(ini, listFont, Settings::sectionOf(Settings::TextRow::NotesList));
    SharedSrc::LoadFontFromIni(ini, textFont, Settings::sectionOf(Settings::TextRow::Note));
    SharedSrc::LoadFontFromIni(ini, m_addEditFont, Settings::sectionOf(Settings::TextRow::AddEdit));
    setNotesListFont(listFont);
    setNoteTextFont(textFont);

    // The three background colours form one block: the first bad value stops it, and what was applied
    // before stays.
    const auto background = [&](Settings::TextRow row) {
        return ColorValue::toColor(Settings::background(ini, row), palette());
    };
    bool coloursValid = false;
    if (const std::optional<QColor> list = background(Settings::TextRow::NotesList)) {
        setNotesListColor(*list);
        if (const std::optional<QColor> text = background(Settings::TextRow::Note)) {
            setNoteTextColor(*text);
            if (const std::optional<QColor> addEdit = background(Settings::TextRow::AddEdit)) {
                m_addEditColor = *addEdit;
                coloursValid = true;
            }
        }
    }
    if (!coloursValid)
        ErrorMsg(QStringLiteral("字体颜色设置无效。"));

    SetTheme(Settings::theme(ini, QLatin1String(Themes::FallbackName)));
    applyWindowOptions(ini);
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded::run([this] { FormActivate(); });
}

// A window may never get the focus: Wayland compositors without a seat, focus-stealing prevention for a
// program started from a terminal or a file manager. Its first showing therefore counts as its first
// activation, queued so that the window is up before a box of the start-up work covers it. A window
// shown minimised waits for the user to bring it up.
void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FirstActivation && !isMinimized())
        QMetaObject::invokeMethod(this, Guarded::slot([this] {
                                      if (FirstActivation && isVisible() && !isMinimized())
                                          FormActivate();
                                  }),
                                  Qt::QueuedConnection);
}

void TMainForm::FormActivate()
{
    DebugLog("TMainForm.FormActivate");
    if (!FirstActivation)
        return;
    // Cleared first: a message box shown below takes the activation away and gives it back, and that
    // second activation must not run this work again.
    FirstActivation = false;

    const bool debugOnly = !m_arguments.isEmpty() && !CommandLine::hasSwitch(m_arguments, u"minimize") &&
                           CommandLine::hasSwitch(m_arguments, u"debug");
    if (debugOnly)
        MessageBox::show(this, QMessageBox::Information, QStringLiteral("Information"),
                         QStringLiteral("Quillet in debug mode."), QMessageBox::Ok);
    else
        openStartupFile();

    if (!m_document->fileName().isEmpty())
        FixScrollbars();

    const QWidget* client = centralWidget();
    const int top = MainMenu->height() + Toolbar->height() + 3 - client->y();
    const int bottom = NotesTextPanel->y() - 4;
    NotesListPanel->setGeometry(NotesListPanel->x(), top, NotesListPanel->width(), bottom - top);
    NotesList->resize(NotesList->width(), NotesListPanel->height() - 3);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    Guarded::run([&] { closeOrKeep(event); });
}

void TMainForm::closeOrKeep(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        // A cancelled exit is over: the close box that comes later puts the window away as ever.
        ExitRequested = false;
        event->ignore();
        return;
    }
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    // The program ends with this window even when it closes from the tray, hidden: the entry does not
    // leave that to the last visible window closing.
    QCoreApplication::quit();
}

bool TMainForm::FormCloseQuery()
{
    DebugLog("TMainForm.FormCloseQuery");
    return FileSaved();
}

// True when the window really closes and the program ends; false when it went to the tray instead.
bool TMainForm::FormClose()
{
    DebugLog("TMainForm.FormClose");
    ::IniFile ini(IniFileName);
    if (!ExitRequested && Settings::isOn(ini, Settings::Switch::MinToTrayOnClose)) {
        HideToTray();
        return false;
    }
    // Settings that cannot be written are reported, but never keep the program from ending.
    try {
        writeWindowSettings(ini);
    } catch (const IniWriteError& error) {
        HandleException(Guarded::typeName(typeid(error)), error.message());
    }
    return true;
}

// Throws IniWriteError.
void TMainForm::writeWindowSettings(::IniFile& ini) const
{
    Settings::setRecentFiles(ini, m_mruList, RecentFiles::MaxCount);
    Settings::setLastFile(ini, m_document->fileName());
    Settings::setOn(ini, Settings::Switch::GridLines, NotesList->showGrid());
    Settings::setOn(ini, Settings::Switch::HideDone, action("ViewHideDoneCmd")->isChecked());
    Settings::setTheme(ini, m_currentTheme);
    writeWindowGeometry(ini);
}

// Nobody may be there to answer a question: whatever fails goes to the error log.
void TMainForm::keepUnsavedNotes()
{
    if (GetModified()) {
        const QString path = RecoveryFiles::pathFor(m_document->fileName());
        QString error;
        if (m_document->writeRecovery(path, &error)) {
            if (!m_recoveryFiles.contains(path))
                m_recoveryFiles.append(path);
        } else {
            ErrorLog::appendReport(AppPaths::errorLogPath(), SystemInfo::describe(),
                                   {QStringLiteral("TMainForm"), SharedSrc::LastTraceName(),
                                    QDir::toNativeSeparators(path) + QLatin1String(": ") + error});
        }
    }
    m_document->releaseLock();
}

// The window is not closed, which would ask about the unsaved notes: the event loops end, those of open
// dialogs too, and the program with them.
void TMainForm::endOnRequest()
{
    keepUnsavedNotes();
    ::IniFile ini(IniFileName);
    try {
        writeWindowSettings(ini);
    } catch (const IniWriteError& error) {
        ErrorLog::appendReport(
            AppPaths::errorLogPath(), SystemInfo::describe(),
            {Guarded::typeName(typeid(error)), SharedSrc::LastTraceName(), error.message()});
    }
    QCoreApplication::exit(0);
}

TMainForm::~TMainForm()
{
    DebugLog("TMainForm.FormDestroy");
    Guarded::setHandler({});
    // The widgets outlive this object's own members by a little: hidden now, while the images and
    // handlers they call back into are still there.
    hide();
    m_document->setIconProvider({});
    m_document->model().disconnect(this);
    m_document->disconnect(this);
    NotesList->selectionModel()->disconnect(this);
    m_filter->disconnect(this);
    StatusBar->disconnect(this);
}

void TMainForm::FileExitCmdExecute()
{
    DebugLog("TMainForm.FileExitCmdExecute");
    ExitRequested = true;
    close();
}

void TMainForm::FileNewWindowCmdExecute()
{
    DebugLog("TMainForm.FileNewWindowCmdExecute");
    const QString opener =
        QStringLiteral("%1=%2,%3").arg(QLatin1String(OpenerPositionVariable)).arg(x()).arg(y());
    if (!Desktop::startDetached(AppPaths::executablePath(), {}, {opener}, windowHandle()))
        ErrorMsg(QStringLiteral("无法运行 Quillet。"));
}

void TMainForm::HelpContentsCmdExecute()
{
    DebugLog("TMainForm.HelpContentsCmdExecute");
    const auto failed = [] { ErrorMsg(QStringLiteral("未能显示帮助文件。请重新安装该程序。")); };
    if (!Desktop::openDocument(AppPaths::helpFilePath(), failed))
        failed();
}

void TMainForm::HelpAboutCmdExecute()
{
    DebugLog("TMainForm.HelpAboutCmdExecute");
    TAboutForm dialog(this, image(Images::About));
    dialog.exec();
}

void TMainForm::ViewMinimizeToTrayCmdExecute()
{
    DebugLog("TMainForm.ViewMinimizeToTrayCmdExecute");
    HideToTray();
}

void TMainForm::HandleException(const QString& className, const QString& message)
{
    const QString path = AppPaths::errorLogPath();
    const FailureReport report{className, SharedSrc::LastTraceName(), message};
    QString text = QStringLiteral("抱歉，程序中存在错误。\n");
    if (ErrorLog::appendReport(path, SystemInfo::describe(), report)) {
        text += QStringLiteral("错误日志已被保存到 \"") + path + QStringLiteral("\"\n请发送该文件到 ") +
                QLatin1String(Quillet::ContactEmail) + QStringLiteral(" 并且该问题将会被修复。");
    } else {
        // Telling the user to send a log that was never written would only mislead.
        text += QStringLiteral("无法写入 ") + path + QLatin1Char('\n') + className + QLatin1String(": ") +
                message;
    }
    MessageBox::show(this, QMessageBox::Critical, QStringLiteral("发现错误"), text, QMessageBox::Ok);
}
