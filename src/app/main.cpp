#include "app/MainFormU.h"
#include "app/QtTranslation.h"
#include "forms/AccessibleNames.h"
#include "forms/Guarded.h"
#include "forms/MnemonicClicks.h"
#include "platform/EndOfSession.h"
#include "platform/HeapPolicy.h"
#include "shared/CommandLine.h"
#include "shared/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr char Usage[] =
    "用法: quillet [文件 [密码]] [-minimize] [-debug]\n"
    "\n"
    "  文件        启动时打开的 Quillet 文件 (.qlt); 只写文件名时先在当前文件夹、再在程序所在文件夹中查找\n"
    "  密码        受保护文件的密码, 预先填入密码对话框。命令行上的密码本机所有用户\n"
    "              都能看到 (例如用 ps): 最好省略它, 在密码对话框中输入\n"
    "  -minimize   启动时隐藏到系统托盘\n"
    "  -debug      把调试日志写入 qltdbg.dat\n"
    "  --help      显示本帮助\n"
    "  --version   显示版本\n";

// Only the sole argument can be one of these: anywhere else the word is a file name or a password.
// Asked before the application exists, so that it works without a display.
bool isOnlyArgument(int argc, char* argv[], const char* option)
{
    return argc == 2 && std::strcmp(argv[1], option) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (isOnlyArgument(argc, argv, "--help")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (isOnlyArgument(argc, argv, "--version")) {
        std::printf("quillet (Quillet) %s\n", Quillet::ProgramVersion);
        return 0;
    }
    HeapPolicy::returnLargeBlocks();
    QApplication app(argc, argv);
    QtTranslation::install();
    MnemonicClicks::install();
    AccessibleNames::install();
    // The application name stays the executable's own: a file lock records it, and a lock whose process
    // runs another program is taken for one left behind by a crash.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.sourceforge.quillet"));
    // A window hidden in the tray is still open: a message box closing meanwhile must not end the
    // program. The main window ends it when it really closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // Before the window, so that no moment of it is without its unsaved notes kept on a signal.
    EndOfSession endOfSession;
    TMainForm window(CommandLine::programArguments());
    QObject::connect(&endOfSession, &EndOfSession::sessionEnding, &window,
                     Guarded::slot(&window, &TMainForm::keepUnsavedNotes));
    QObject::connect(&endOfSession, &EndOfSession::endRequested, &window,
                     Guarded::slot(&window, &TMainForm::endOnRequest));
    window.showAtStart();
    return app.exec();
}
