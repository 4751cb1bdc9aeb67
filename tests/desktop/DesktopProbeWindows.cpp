#include "DesktopProbe.h"

#include <windows.h>

namespace DesktopProbe {
namespace {

QString idOf(HWND window)
{
    return QString::number(quintptr(window));
}

QString titleOf(HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return QString::fromWCharArray(title);
}

} // namespace

QStringList windowsOf(qint64 process, const QString& title)
{
    struct Search
    {
        DWORD process;
        QString title;
        QStringList found;
    } search{DWORD(process), title, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == wanted->process && IsWindowVisible(window) && !IsIconic(window) &&
                titleOf(window).contains(wanted->title))
                wanted->found.append(idOf(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

QString activeWindow()
{
    return idOf(GetForegroundWindow());
}

QString activeWindowTitle()
{
    return titleOf(GetForegroundWindow());
}

void minimize(const QString& window)
{
    ShowWindow(HWND(window.toULongLong()), SW_MINIMIZE);
}

void pressEscape()
{
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_ESCAPE;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

} // namespace DesktopProbe
