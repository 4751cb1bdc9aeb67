#include "app/MainFormU.h"
#include "app/QuilletApplication.h"
#include "shared/CommandLine.h"

int main(int argc, char* argv[])
{
    QuilletApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    TMainForm window(CommandLine::programArguments());
    window.show();
    return app.exec();
}
