#include "app/MainFormU.h"

#include "app/SystemTray.h"
#include "forms/Guarded.h"
#include "forms/MessageBox.h"
#include "platform/Desktop.h"
#include "shared/CommandLine.h"
#include "shared/DebugLog.h"

#include <QAction>
#include <QMenu>

using SharedSrc::DebugLog;

namespace {

constexpr qsizetype MaxHintLength = 127;

} // namespace

void TMainForm::createTray()
{
    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    TrayMenuShowCmd = TrayMenu->addAction(QStringLiteral("显示 Quillet(&S)"), this,
                                          Guarded::slot(this, &TMainForm::TrayMenuShowCmdClick));
    TrayMenuShowCmd->setObjectName(QStringLiteral("TrayMenuShowCmd"));
    QFont bold = TrayMenuShowCmd->font();
    bold.setBold(true);
    TrayMenuShowCmd->setFont(bold);
    TrayMenu->setDefaultAction(TrayMenuShowCmd);
    TrayMenu->addSeparator();
    TrayMenuExitCmd = TrayMenu->addAction(QStringLiteral("退出(&X)"), this,
                                          Guarded::slot(this, &TMainForm::TrayMenuExitCmdClick));
    TrayMenuExitCmd->setObjectName(QStringLiteral("TrayMenuExitCmd"));

    // Qt adds a visible icon again by itself when the desktop's tray comes back after a restart.
    TrayIcon = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(QStringLiteral("Quillet"));
    TrayIcon->setContextMenu(TrayMenu);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, Guarded::slot(this, &TMainForm::TrayIconActivated));

    bool showMainForm = true;
    TrayIconStartup(showMainForm);
    m_showMainFormAtStart = showMainForm;
}

void TMainForm::TrayIconStartup(bool& showMainForm)
{
    DebugLog("TMainForm.TrayIconStartup");
    if (m_arguments.isEmpty() || !CommandLine::hasSwitch(m_arguments, u"minimize"))
        return;
    showMainForm = false;
    if (SystemTray::isAvailable())
        TrayIcon->show();
}

void TMainForm::showAtStart()
{
    if (m_showMainFormAtStart) {
        show();
        // Asks for the focus: without a window manager (a bare X server) nothing else gives it, and on
        // Wayland this presents the desktop's start-up token (XDG_ACTIVATION_TOKEN), without which the
        // compositor may leave a program started from a terminal or a file manager unfocused.
        activateWindow();
    } else if (!TrayIcon->isVisible()) {
        // No tray to start in, and a window that is never shown cannot be reached.
        if (Desktop::restoresMinimizedWindows()) {
            showMinimized();
        } else {
            show();
            // After the start-up work that the showing queues.
            QMetaObject::invokeMethod(this, Guarded::slot([this] { keepsShownWithoutTray(); }),
                                      Qt::QueuedConnection);
        }
    }
}

void TMainForm::setTrayHint(const QString& hint)
{
    qsizetype length = std::min(hint.size(), MaxHintLength);
    if (length > 0 && length < hint.size() && hint.at(length - 1).isHighSurrogate())
        --length;
    TrayIcon->setToolTip(hint.first(length));
}

// Hides the window only where a tray icon can bring it back; elsewhere it goes to the taskbar, or stays
// where it is when the desktop has nothing to bring a minimised window back with.
void TMainForm::HideToTray()
{
    DebugLog("TMainForm.HideToTray");
    if (!SystemTray::isAvailable()) {
        if (!keepsShownWithoutTray())
            showMinimized();
        return;
    }
    TrayIcon->show();
    hide();
}

void TMainForm::TrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    DebugLog("TMainForm.TrayIconActivated");
    // Linux trays restore on one click; a StatusNotifierItem tray reports nothing but that click.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        TrayMenu->defaultAction()->trigger();
}

void TMainForm::TrayMenuShowCmdClick()
{
    DebugLog("TMainForm.TrayMenuShowCmdClick");
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    TrayIcon->hide();
}

void TMainForm::TrayMenuExitCmdClick()
{
    DebugLog("TMainForm.TrayMenuExitCmdClick");
    action("FileExitCmd")->trigger();
}

// True where neither a tray nor the desktop could bring the window back from being put away. The user
// hears why once, the first time the window stays.
bool TMainForm::keepsShownWithoutTray()
{
    if (Desktop::restoresMinimizedWindows())
        return false;
    if (!m_toldNoWayToMinimize) {
        m_toldNoWayToMinimize = true;
        MessageBox::show(this, QMessageBox::Information, QStringLiteral("Quillet"),
                         QStringLiteral("桌面上没有系统托盘, 也没有任务栏可以找回最小化的窗口, "
                                        "因此 Quillet 窗口保持显示。"),
                         QMessageBox::Ok);
    }
    return true;
}
