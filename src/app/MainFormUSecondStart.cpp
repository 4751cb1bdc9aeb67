#include "app/MainFormU.h"

#include "document/NotesDocument.h"
#include "platform/Desktop.h"
#include "platform/HolderChannel.h"
#include "shared/DebugLog.h"

#include <QCoreApplication>

using SharedSrc::DebugLog;

// From the tray, the task bar or behind other windows: a second Quillet on this window's file would
// otherwise leave the user a window they cannot find.
void TMainForm::BringToFront(const QByteArray& activationToken)
{
    DebugLog("TMainForm.BringToFront");
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    Desktop::bringToFront(windowHandle(), activationToken);
    TrayIcon->hide();
}

// After the user declined to open the start-up file a second time: the window that holds it comes
// forward, and this process, which has nothing of its own yet, ends. True when the holder took the call.
bool TMainForm::handOverToHolder(const QString& fileName)
{
    DebugLog("TMainForm.handOverToHolder");
    if (!HolderChannel::callHolder(fileName, Desktop::activationTokenFor(windowHandle())))
        return false;
    hide();
    QCoreApplication::quit();
    return true;
}
