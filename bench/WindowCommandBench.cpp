#include "BenchTable.h"
#include "Benches.h"
#include "FreshLoad.h"
#include "OpenFile.h"
#include "SampleNotes.h"
#include "SyncedReplace.h"

#include "app/MainFormU.h"
#include "document/NotesDocument.h"
#include "document/NotesSorter.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "forms/AddEditFormU.h"
#include "forms/FileDialog.h"
#include "forms/SortFormU.h"
#include "platform/HeapPolicy.h"
#include "shared/Cipher.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <limits>

#include <unistd.h>

// The commands a person runs in an open window, timed as a key press runs them: the window's action with
// its dialog answered, the document's change, the auto-save when it is on, and the repaint that follows.
// Each size runs in a fresh process of its own, with the save floor of its file measured in that process.

namespace {

constexpr int Repetitions = 3;
constexpr int ImportCount = 1000;
constexpr char CommandsSwitch[] = "--window-commands";
constexpr char CoreSortSwitch[] = "--core-sort";

// The commands in the order one repetition runs them; each is followed by its undo and redo.
const char* const Commands[] = {"add",  "edit",   "delete",    "move",         "priority",
                                "done", "import", "sort-text", "sort-priority"};

// Forgets the peak resident size so far: what follows is measured against the size after opening.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// What a save of `path` cannot do without: its bytes enciphered, written into a new file beside it,
// synced and renamed over the old one. The fastest of a few.
qint64 saveFloor(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QByteArray bytes = file.readAll();
    const QByteArray target = QFile::encodeName(path + QStringLiteral(".floor"));
    const QByteArray temporary = target + ".new";
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < Repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        SharedSrc::XORCryptInPlace(bytes.data() + QltFormat::StreamOffset,
                                   bytes.size() - QltFormat::StreamOffset, QByteArray(SharedSrc::DefaultKey));
        if (!writeSyncedAndReplace(bytes, temporary, target))
            qFatal("cannot write the floor file");
        best = std::min(best, timer.nsecsElapsed());
    }
    ::unlink(target.constData());
    return best;
}

// Answers the dialog that `command` opens, once it shows, from inside its event loop.
template <typename Dialog> void whenShown(Dialog* const& open, std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [&open, answer] {
        if (open && open->isVisible())
            answer(*open);
        else
            whenShown(open, answer);
    });
}

class CommandRunner
{
public:
    CommandRunner(TMainForm& window, const QString& importPath) : m_window(window), m_importPath(importPath)
    {}

    // Runs `command` once and gives its time, its undo's and its redo's.
    std::array<qint64, 3> run(const QString& command)
    {
        const int middle = m_window.document().model().rowCount() / 2;
        m_window.selectRow(middle);
        QCoreApplication::processEvents();
        const std::array<qint64, 3> times = {timed([&] { start(command); }),
                                             timed([&] { action("NotesUndoCmd")->trigger(); }),
                                             timed([&] { action("NotesRedoCmd")->trigger(); })};
        return times;
    }

private:
    QAction* action(const char* name) const
    {
        QAction* found = m_window.findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no command %s", name);
        return found;
    }

    qint64 timed(const std::function<void()>& work)
    {
        QElapsedTimer timer;
        timer.start();
        work();
        // The list and the status bar are painted again before the next key can come.
        QCoreApplication::processEvents();
        return timer.nsecsElapsed();
    }

    void start(const QString& command)
    {
        if (command == QLatin1String("add")) {
            whenShown<TAddEditForm>(AddEditForm, [this](TAddEditForm& dialog) {
                dialog.setNoteTextBytes("bench note " + QByteArray::number(++m_added));
                dialog.OkBtn->click();
            });
            action("NotesAddCmd")->trigger();
        } else if (command == QLatin1String("edit")) {
            whenShown<TAddEditForm>(AddEditForm, [this](TAddEditForm& dialog) {
                dialog.setNoteTextBytes(dialog.noteTextBytes() + " edited " + QByteArray::number(++m_added));
                dialog.OkBtn->click();
            });
            action("NotesEditCmd")->trigger();
        } else if (command == QLatin1String("delete")) {
            action("NotesDeleteCmd")->trigger();
        } else if (command == QLatin1String("move")) {
            action("NotesMoveDownCmd")->trigger();
        } else if (command == QLatin1String("priority")) {
            action(++m_added % 2 ? "NotesSetHighPriorityCmd" : "NotesSetLowPriorityCmd")->trigger();
        } else if (command == QLatin1String("done")) {
            action("NotesDoneUndoneCmd")->trigger();
        } else if (command == QLatin1String("import")) {
            FileDialog::setNextResults({{true, m_importPath, 1}});
            action("FileImportCmd")->trigger();
        } else {
            const bool byText = command == QLatin1String("sort-text");
            whenShown<TSortForm>(SortForm, [byText](TSortForm& dialog) {
                (byText ? dialog.NoteText : dialog.Priority)->setChecked(true);
                dialog.Ascending->setChecked(true);
                dialog.OkBtn->click();
            });
            action("NotesSortCmd")->trigger();
        }
    }

    TMainForm& m_window;
    const QString m_importPath;
    int m_added = 0;
};

void printLine(const QByteArray& name, qint64 value)
{
    std::printf("%s %lld\n", name.constData(), static_cast<long long>(value));
}

struct Figures
{
    QMap<QByteArray, qint64> values;
    qint64 at(const QByteArray& name) const
    {
        if (!values.contains(name))
            qFatal("the window child gave no %s", name.constData());
        return values.value(name);
    }
};

QProcessEnvironment childEnvironment(const QString& appDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLET_APPDIR"), appDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The program's users sort by the Chinese collation, which the sort takes from the system's locale.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("zh_CN.UTF-8"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    return environment;
}

Figures runChild(const QString& self, const QString& appDir, const QStringList& arguments)
{
    QProcess child;
    child.setProcessEnvironment(childEnvironment(appDir));
    child.start(self, arguments);
    if (!child.waitForFinished(3600 * 1000) || child.exitCode() != 0)
        qFatal("the window commands child failed: %s", child.readAllStandardError().constData());
    Figures figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 2)
            figures.values.insert(fields.at(0), fields.at(1).toLongLong());
    }
    return figures;
}

QString ratio(qint64 nanoseconds, qint64 floor)
{
    return QString::number(double(nanoseconds) / double(floor), 'f', 2);
}

QString megabytes(qint64 kib)
{
    return QStringLiteral("%1 MB").arg(double(kib) * 1024 / 1e6, 0, 'f', 1);
}

// One row per command: the command, its undo and its redo. Each is held to the general bound (1.5 × floor
// with auto-save, 50 ms without), except a sort: it has a bound of its own, plus 1.5 × floor for its save
// when auto-save is on, and its undo and redo are held to 1.5 × floor either way.
void addCommandRows(BenchTable& table, const QString& size, bool autoSave, const Figures& figures,
                    qint64 floor, const QMap<QString, qint64>& sortBounds)
{
    const qint64 saveBound = qint64(1.5 * double(floor));
    const qint64 general = autoSave ? saveBound : 50 * 1000000LL;
    const QString generalText = autoSave ? QStringLiteral("1.5 × floor") : QStringLiteral("50 ms");
    for (const char* command : Commands) {
        const QByteArray name(command);
        const qint64 own = figures.at(name);
        const qint64 undo = figures.at(name + "-undo");
        const qint64 redo = figures.at(name + "-redo");
        const bool sort = sortBounds.contains(QString::fromLatin1(command));
        const qint64 sortBound = sortBounds.value(QString::fromLatin1(command));
        const qint64 bound = sort ? sortBound + (autoSave ? saveBound : 0) : general;
        const qint64 backBound = sort ? saveBound : general;
        const QString boundText = sort ? BenchFormat::millis(sortBound) +
                                             (autoSave ? QStringLiteral(" + 1.5 × floor") : QString()) +
                                             QStringLiteral(", undo and redo 1.5 × floor")
                                       : generalText;
        QString measured =
            QStringLiteral("%1 · undo %2 · redo %3")
                .arg(BenchFormat::millis(own), BenchFormat::millis(undo), BenchFormat::millis(redo));
        if (autoSave || sort)
            measured += QStringLiteral(" (%1 / %2 / %3 × floor)")
                            .arg(ratio(own, floor), ratio(undo, floor), ratio(redo, floor));
        table.add(
            QStringLiteral("window, %1, auto-save %2: %3")
                .arg(size, autoSave ? QStringLiteral("on") : QStringLiteral("off"), QLatin1String(command)),
            measured, QStringLiteral("≤ %1").arg(boundText),
            own <= bound && undo <= backBound && redo <= backBound);
    }
}

QString writeNotes(const QString& dir, const QString& name, const QList<Note>& notes)
{
    const QString path = QDir(dir).filePath(name);
    if (!QltFile::writeNotes(path, notes, {}, 0))
        qFatal("cannot write %s", qPrintable(name));
    return path;
}

} // namespace

int windowCommandsChild(int& argc, char** argv)
{
    // argv: this program, the switch, the notes file, the file to import, auto-save 0 or 1.
    HeapPolicy::returnLargeBlocks(); // as the program does
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QString importPath = QString::fromLocal8Bit(argv[3]);
    const bool autoSave = std::strcmp(argv[4], "1") == 0;

    TMainForm window(QStringList{path});
    window.show();
    window.activateWindow();
    const QDeadlineTimer deadline(120000);
    while (window.document().model().rowCount() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (window.document().fileName().isEmpty())
        qFatal("the window did not open %s", qPrintable(path));
    window.setAutoSaveOnAddEdit(autoSave);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    printLine("opened", FreshLoad::residentKiB());
    printLine("floor", saveFloor(path));
    resetPeak();

    CommandRunner runner(window, importPath);
    QMap<QByteArray, qint64> best;
    for (int repetition = 0; repetition < Repetitions; ++repetition) {
        for (const char* command : Commands) {
            const std::array<qint64, 3> times = runner.run(QLatin1String(command));
            const QByteArray names[] = {command, QByteArray(command) + "-undo",
                                        QByteArray(command) + "-redo"};
            for (size_t i = 0; i < times.size(); ++i)
                best[names[i]] = std::min(best.value(names[i], std::numeric_limits<qint64>::max()), times[i]);
        }
    }
    for (auto it = best.cbegin(); it != best.cend(); ++it)
        printLine(it.key(), it.value());
    printLine("peak", FreshLoad::peakResidentKiB());
    printLine("resident", FreshLoad::residentKiB());
    std::fflush(stdout);
    // The lock goes as it does when a window closes; nothing is left to ask about.
    window.document().clear();
    ::_exit(0);
}

// The benchmark's own sort of the same notes by text, as the sort row measures it, in the locale the
// window sorts by.
int coreSortChild(const QString& path)
{
    NotesDocument document;
    openInto(document, path, {});
    // The notes are views into the document's buffer, so the document stays open while they are sorted.
    const QList<Note> unsorted = document.notes();
    NotesModel model;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < Repetitions; ++i) {
        QList<Note> notes = unsorted;
        notes.detach();
        model.clear();
        model.appendNotes(std::move(notes));
        QElapsedTimer timer;
        timer.start();
        model.arrangeRows(NotesSorter::sortedRows(model.notes(), NotesSorter::SortBy::Text, true));
        best = std::min(best, timer.nsecsElapsed());
    }
    printLine("core-sort", best);
    return 0;
}

bool isWindowCommandsChild(int argc, char** argv)
{
    return argc == 5 && std::strcmp(argv[1], CommandsSwitch) == 0;
}

bool isCoreSortChild(const QStringList& arguments)
{
    return arguments.value(0) == QLatin1String(CoreSortSwitch);
}

void benchWindowCommands(BenchTable& table, const QString& dir, const QString& self)
{
    struct Size
    {
        const char* label;
        const char* file;
        qsizetype count;
        qsizetype meanTextBytes;
        quint32 seed;
    };
    // The 100,000 notes are those the sort rows use; the million those the window's start uses.
    const Size sizes[] = {{"100,000 notes", "commands-large.qlt", 100000, 500, 11},
                          {"1,000,000 notes", "commands-million.qlt", 1000000, 24, 5}};
    const QString importPath =
        writeNotes(dir, QStringLiteral("commands-import.qlt"), SampleNotes::make(ImportCount, 24, 23));
    const QString appDir = QDir(dir).filePath(QStringLiteral("commands-app"));
    QDir(dir).mkpath(QStringLiteral("commands-app"));

    for (const Size& size : sizes) {
        const QString path = writeNotes(dir, QLatin1String(size.file),
                                        SampleNotes::make(size.count, size.meanTextBytes, size.seed));
        const QString label = QStringLiteral("%1 (%2)").arg(QLatin1String(size.label),
                                                            BenchFormat::mebibytes(QFileInfo(path).size()));
        const bool million = size.count == 1000000;
        QMap<QString, qint64> sortBounds;
        if (million) {
            sortBounds.insert(QStringLiteral("sort-text"), 1500 * 1000000LL);
            sortBounds.insert(QStringLiteral("sort-priority"), 300 * 1000000LL);
        }
        for (const bool autoSave : {false, true}) {
            // A fresh copy each time: the commands of one run change the file they save into.
            const QString copy = path + QStringLiteral(".run");
            QFile::remove(copy);
            if (!QFile::copy(path, copy))
                qFatal("cannot copy the notes file");
            const Figures figures = runChild(self, appDir,
                                             {QLatin1String(CommandsSwitch), copy, importPath,
                                              autoSave ? QStringLiteral("1") : QStringLiteral("0")});
            const qint64 floor = figures.at("floor");
            if (!million && !sortBounds.contains(QStringLiteral("sort-text"))) {
                const qint64 core =
                    runChild(self, appDir, {QLatin1String(CoreSortSwitch), path}).at("core-sort");
                sortBounds.insert(QStringLiteral("sort-text"), qint64(1.3 * double(core)));
                table.addContext(QStringLiteral("the benchmark's core sort of the %1 by text (zh_CN): %2")
                                     .arg(label, BenchFormat::millis(core)));
            }
            table.addContext(QStringLiteral("save floor of the %1, auto-save %2 run: %3")
                                 .arg(label, autoSave ? QStringLiteral("on") : QStringLiteral("off"),
                                      BenchFormat::millis(floor)));
            addCommandRows(table, label, autoSave, figures, floor, sortBounds);
            const qint64 opened = figures.at("opened");
            const qint64 peak = figures.at("peak");
            const qint64 resident = figures.at("resident");
            table.add(QStringLiteral("window, %1, auto-save %2: peak resident memory during the commands")
                          .arg(label, autoSave ? QStringLiteral("on") : QStringLiteral("off")),
                      QStringLiteral("%1 (%2 × after opening)")
                          .arg(megabytes(peak))
                          .arg(double(peak) / double(opened), 0, 'f', 2),
                      QStringLiteral("≤ 1.5 × resident after opening %1").arg(megabytes(opened)),
                      double(peak) <= 1.5 * double(opened));
            if (million)
                table.add(QStringLiteral("window, %1, auto-save %2: resident memory after the commands")
                              .arg(label, autoSave ? QStringLiteral("on") : QStringLiteral("off")),
                          megabytes(resident), QStringLiteral("≤ 160 MB"), resident * 1024 <= 160000000);
            QFile::remove(copy);
        }
    }
}
