#include "BenchClock.h"
#include "BenchTable.h"
#include "Benches.h"

#include "shared/AppPaths.h"
#include "shared/DebugLog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {

constexpr int Calls = 10000;
constexpr qint64 BoundMillis = 200;

qint64 timeCalls()
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Calls; ++i)
        SharedSrc::DebugLog("TMainForm.NotesListSelectItem");
    return timer.nsecsElapsed();
}

qsizetype lineCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().count("\r\n");
}

} // namespace

// Started with the "debug" switch, so that every trace call appends to the log in $QUILLET_APPDIR.
int traceChild()
{
    const QString log = AppPaths::debugLogPath();
    QFile::remove(log);
    const qint64 fresh = timeCalls();
    // The same again with 10,000 entries already in the log: the cost must not grow with it.
    const qint64 grown = timeCalls();
    std::printf("%lld %lld %lld\n", static_cast<long long>(fresh), static_cast<long long>(grown),
                static_cast<long long>(lineCount(log)));
    return 0;
}

void benchTrace(BenchTable& table, const QString& dir, const QString& self)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLET_APPDIR"), dir);
    qint64 fresh = std::numeric_limits<qint64>::max();
    qint64 grown = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3; ++run) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(self, {QStringLiteral("--trace"), QStringLiteral("/debug")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            qFatal("the trace child failed");
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        // Header line, empty line, then one line per call.
        if (fields.size() != 3 || fields.at(2).toLongLong() < 2 * Calls + 2)
            qFatal("the trace child did not write every entry");
        fresh = std::min(fresh, fields.at(0).toLongLong());
        grown = std::min(grown, fields.at(1).toLongLong());
    }
    const QString bound = QStringLiteral("≤ %1 ms").arg(BoundMillis);
    table.add(QStringLiteral("10,000 trace calls in debug mode, new log"), BenchFormat::millis(fresh), bound,
              fresh <= BoundMillis * 1000000);
    table.add(QStringLiteral("10,000 more trace calls, log already 10,000 lines"), BenchFormat::millis(grown),
              bound, grown <= BoundMillis * 1000000);
}
