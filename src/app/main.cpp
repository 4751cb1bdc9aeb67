#include "app/MainFormU.h"
#include "app/QuilletApplication.h"
#include "shared/CommandLine.h"

int main(int argc, char* argv[])
{
    QuilletApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    // A window hidden in the tray is still open: a message box closing meanwhile must not end the
    // program. The main window ends it when it really closes.
    QApplication::setQuitOnLastWindowClosed(false);
    TMainForm window(CommandLine::programArguments());
    window.showAtStart();
    return app.exec();
}
