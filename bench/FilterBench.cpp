#include "BenchTable.h"
#include "Benches.h"
#include "SampleNotes.h"

#include "app/MainFormU.h"
#include "document/NotesDocument.h"
#include "document/QltFile.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include <unistd.h>

// The filter field of a window on 1,000,000 notes, typed into a key at a time: each key is timed from the
// key press to the list and the status bar painted again, as the next key would find them.

namespace {

constexpr int Repetitions = 3;
constexpr char FilterSwitch[] = "--filter-keys";
// Narrowing a letter at a time, then widening again to no filter at all.
constexpr char Typed[] = "meeting";

void key(QWidget* target, Qt::Key code, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

template <typename Work> qint64 timed(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}

} // namespace

bool isFilterChild(int argc, char** argv)
{
    return argc == 3 && std::strcmp(argv[1], FilterSwitch) == 0;
}

int filterChild(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    TMainForm window(QStringList{QString::fromLocal8Bit(argv[2])});
    window.show();
    window.activateWindow();
    const QDeadlineTimer deadline(120000);
    while (window.document().model().rowCount() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (window.document().model().rowCount() != 1000000)
        qFatal("the window did not open the notes");
    window.selectRow(500000);
    window.findChild<QAction*>(QStringLiteral("ViewFilterCmd"))->trigger();
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("FilterText"));
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();

    qint64 slowest = 0;
    qint64 typedSlowest = 0;
    for (int repetition = 0; repetition < Repetitions; ++repetition) {
        qint64 slowestHere = 0;
        qint64 typedHere = 0;
        for (const char* c = Typed; *c; ++c) {
            const qint64 time =
                timed([&] { key(field, Qt::Key(Qt::Key_A + (*c - 'a')), QString(QLatin1Char(*c))); });
            typedHere = std::max(typedHere, time);
        }
        slowestHere = typedHere;
        for (size_t i = 0; i < std::strlen(Typed); ++i)
            slowestHere = std::max(slowestHere, timed([&] { key(field, Qt::Key_Backspace, QString()); }));
        if (!field->text().isEmpty())
            qFatal("the field was not emptied");
        slowest = repetition == 0 ? slowestHere : std::min(slowest, slowestHere);
        typedSlowest = repetition == 0 ? typedHere : std::min(typedSlowest, typedHere);
    }
    std::printf("slowest %lld\ntyped %lld\n", static_cast<long long>(slowest),
                static_cast<long long>(typedSlowest));

    QAction* hideDone = window.findChild<QAction*>(QStringLiteral("ViewHideDoneCmd"));
    qint64 toggle = std::numeric_limits<qint64>::max();
    for (int repetition = 0; repetition < Repetitions; ++repetition) {
        toggle = std::min(toggle, timed([&] { hideDone->trigger(); }));
        hideDone->trigger();
        QCoreApplication::processEvents();
    }
    std::printf("hide-done %lld\n", static_cast<long long>(toggle));
    std::fflush(stdout);
    window.document().clear();
    ::_exit(0);
}

void benchFilter(BenchTable& table, const QString& dir, const QString& self)
{
    const QString path = QDir(dir).filePath(QStringLiteral("filter-million.qlt"));
    if (!QltFile::writeNotes(path, SampleNotes::make(1000000, 24, 5), {}, 0))
        qFatal("cannot write the notes file");
    const QString appDir = QDir(dir).filePath(QStringLiteral("filter-app"));
    QDir(dir).mkpath(QStringLiteral("filter-app"));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLET_APPDIR"), appDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(self, {QLatin1String(FilterSwitch), path});
    if (!child.waitForFinished(600 * 1000) || child.exitCode() != 0)
        qFatal("the filter child failed: %s", child.readAllStandardError().constData());
    QMap<QByteArray, qint64> figures;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 2)
            figures.insert(fields.at(0), fields.at(1).toLongLong());
    }
    const qint64 bound = 100 * 1000000LL;
    const qint64 slowest = figures.value("slowest", std::numeric_limits<qint64>::max());
    table.add(QStringLiteral("window, 1,000,000 notes: filter as you type \"%1\" and back, slowest key")
                  .arg(QLatin1String(Typed)),
              QStringLiteral("%1 (narrowing keys %2)")
                  .arg(BenchFormat::millis(slowest), BenchFormat::millis(figures.value("typed"))),
              QStringLiteral("≤ 100 ms"), slowest <= bound);
    const qint64 hideDone = figures.value("hide-done", std::numeric_limits<qint64>::max());
    table.add(QStringLiteral("window, 1,000,000 notes: hide done switched on"), BenchFormat::millis(hideDone),
              QStringLiteral("≤ 100 ms"), hideDone <= bound);
}
