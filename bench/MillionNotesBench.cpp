#include "BenchTable.h"
#include "Benches.h"
#include "OpenFile.h"
#include "SampleNotes.h"

#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace {

constexpr qsizetype NoteCount = 1000000;
constexpr qsizetype MeanTextBytes = 24;
constexpr int Runs = 3;
constexpr qint64 BoundMillis = 2000;
constexpr qint64 BoundBytes = 250000000; // 250 MB

// A field of /proc/self/status in kB, such as "VmHWM" (the peak resident size).
qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int millionNotesChild(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    NotesModel model;
    openInto(model, path, {});
    const qint64 elapsed = timer.nsecsElapsed();
    std::printf("%lld %lld %d\n", static_cast<long long>(elapsed), static_cast<long long>(statusKiB("VmHWM")),
                model.rowCount());
    return 0;
}

void benchMillionNotes(BenchTable& table, const QString& dir, const QString& self)
{
    const QString path = QDir(dir).filePath(QStringLiteral("million.qlt"));
    {
        const QList<Note> notes = SampleNotes::make(NoteCount, MeanTextBytes, 3);
        if (!QltFile::writeAtomically(path, QltFormat::write(notes, {}, 0)))
            qFatal("cannot write the million-note file");
    }
    const qint64 fileSize = QFileInfo(path).size();

    // A fresh process each time, so that the peak resident size is the load's own.
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 peakKiB = 0;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.start(self, {QStringLiteral("--load-million"), path});
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            qFatal("the million-note child failed");
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3 || fields.at(2).toLongLong() != NoteCount)
            qFatal("the million-note child loaded the wrong number of notes");
        best = std::min(best, fields.at(0).toLongLong());
        peakKiB = std::max(peakKiB, fields.at(1).toLongLong());
    }

    const QString target =
        QStringLiteral("load 1,000,000 short notes (%1)").arg(BenchFormat::mebibytes(fileSize));
    table.add(target, BenchFormat::millis(best), QStringLiteral("≤ %1 ms").arg(BoundMillis),
              best <= BoundMillis * 1000000);
    table.add(QStringLiteral("peak resident memory of that load (whole process, VmHWM)"),
              QStringLiteral("%1 MB").arg(double(peakKiB) * 1024 / 1e6, 0, 'f', 1),
              QStringLiteral("≤ 250 MB"), peakKiB * 1024 <= BoundBytes);
}
