#include "WindowHarness.h"

#include <QAction>
#include <QSystemTrayIcon>
#include <QTest>

#include <string_view>

// Last: its macros rename words the program uses.
#include <windows.h>

namespace {

// The window through which Qt's icon and the shell talk (one per icon shown).
HWND trayIconWindow()
{
    struct Search
    {
        DWORD process = GetCurrentProcessId();
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if (process != wanted->process || std::wstring_view(title) != L"QTrayIconMessageWindow")
                return TRUE;
            wanted->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

NOTIFYICONDATAW iconOf(HWND window)
{
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 0; // Qt's one icon per window
    return icon;
}

// Whether the shell holds the icon of `window`: only an icon it holds can be changed.
bool shellHoldsIcon(HWND window)
{
    NOTIFYICONDATAW icon = iconOf(window);
    return Shell_NotifyIconW(NIM_MODIFY, &icon);
}

} // namespace

// The notification-area icon as the Windows shell holds it: Qt's windows platform under Wine's shell.
class TestWindowsTray : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void iconBackAfterTheShellRestarts();
};

// A shell that starts again (Explorer after a crash) has lost every icon; it tells every window with the
// message "TaskbarCreated", and the window in the tray must be reachable again.
void TestWindowsTray::iconBackAfterTheShellRestarts()
{
    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    w.createForm();
    w.act("ViewMinimizeToTrayCmd")->trigger();
    QVERIFY(!w.form().isVisible());
    QVERIFY(w.form().trayIcon()->isVisible());
    const HWND window = trayIconWindow();
    QVERIFY(window);
    QTRY_VERIFY(shellHoldsIcon(window));

    NOTIFYICONDATAW icon = iconOf(window);
    QVERIFY(Shell_NotifyIconW(NIM_DELETE, &icon));
    QVERIFY(!shellHoldsIcon(window));
    QVERIFY(PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    QTRY_VERIFY(shellHoldsIcon(window));
    QCOMPARE(trayIconWindow(), window);
}

QTEST_MAIN(TestWindowsTray)
#include "tst_windowstray.moc"
