#include "FreshLoad.h"

#include "OpenFile.h"

#include "document/NotesDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <limits>

namespace FreshLoad {

namespace {

qint64 statusKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

qint64 peakResidentKiB()
{
    return statusKiB("VmHWM:");
}

qint64 residentKiB()
{
    return statusKiB("VmRSS:");
}

int child(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    NotesDocument document;
    openInto(document, path, {});
    const qint64 elapsed = timer.nsecsElapsed();
    std::printf("%lld %lld %d\n", static_cast<long long>(elapsed), static_cast<long long>(peakResidentKiB()),
                document.model().rowCount());
    return 0;
}

Result fastest(const QString& self, const QString& path, int runs, int expectedRows)
{
    Result best{std::numeric_limits<qint64>::max(), 0};
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        process.start(self, {QLatin1String(ChildSwitch), path});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            qFatal("the loading child failed");
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3 || fields.at(2).toInt() != expectedRows)
            qFatal("the loading child loaded the wrong number of notes");
        best.nanoseconds = std::min(best.nanoseconds, fields.at(0).toLongLong());
        best.peakKiB = std::max(best.peakKiB, fields.at(1).toLongLong());
    }
    return best;
}

} // namespace FreshLoad
