#include "BenchTable.h"
#include "Benches.h"
#include "FreshLoad.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Prints the performance table. With names (cipher, file, sort, undo, cli, million, trace, window,
// commands, filter) only those groups run.
int main(int argc, char** argv)
{
    // The window child needs its own application object, a QApplication.
    if (argc == 3 && std::strcmp(argv[1], "--window") == 0)
        return windowChild(argc, argv, std::atoi(argv[2]));
    if (isWindowCommandsChild(argc, argv))
        return windowCommandsChild(argc, argv);
    if (isFilterChild(argc, argv))
        return filterChild(argc, argv);
    // Before the application object, so that the measuring process stays small.
    if (argc >= 2 && std::strcmp(argv[1], MeasureSwitch) == 0)
        return measureChild(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == QLatin1String(FreshLoad::ChildSwitch))
        return FreshLoad::child(arguments.value(1));
    if (isCoreSortChild(arguments))
        return coreSortChild(arguments.value(1));
    if (arguments.value(0) == QLatin1String("--trace"))
        return traceChild();
    if (arguments.value(0) == QLatin1String("--comparison-data"))
        return writeComparisonData(arguments.value(1).toLongLong(), arguments.value(2), arguments.value(3));
    if (arguments.value(0) == QLatin1String("--cli-floor"))
        return cliFloorChild(arguments.value(1), arguments.value(2));

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 2;
    }
    const QString self = QCoreApplication::applicationFilePath();
    const auto wanted = [&](const char* group) {
        return arguments.isEmpty() || arguments.contains(QLatin1String(group));
    };

    BenchTable table;
    if (wanted("cipher"))
        benchCipher(table);
    if (wanted("file"))
        benchLoadSave(table, dir.path());
    if (wanted("sort"))
        benchSortFind(table);
    if (wanted("undo"))
        benchUndo(table);
    if (wanted("cli"))
        benchCli(table, dir.path(), self);
    if (wanted("million"))
        benchMillionNotes(table, dir.path(), self);
    if (wanted("trace"))
        benchTrace(table, dir.path(), self);
    if (wanted("window"))
        benchWindow(table, dir.path(), self);
    if (wanted("commands"))
        benchWindowCommands(table, dir.path(), self);
    if (wanted("filter"))
        benchFilter(table, dir.path(), self);

    std::fputs(table.markdown().toUtf8().constData(), stdout);
    return table.allPassed() ? 0 : 1;
}
