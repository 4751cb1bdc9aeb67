#include "BenchTable.h"
#include "Benches.h"
#include "FreshLoad.h"
#include "SampleNotes.h"

#include "document/QltFile.h"
#include "document/QltFormat.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr qsizetype NoteCount = 1000000;
constexpr qsizetype MeanTextBytes = 24;
constexpr int Runs = 3;
constexpr qint64 BoundMillis = 2000;
constexpr qint64 BoundBytes = 250000000; // 250 MB

} // namespace

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
    const FreshLoad::Result load = FreshLoad::fastest(self, path, Runs, NoteCount);
    const qint64 best = load.nanoseconds;
    const qint64 peakKiB = load.peakKiB;

    const QString target =
        QStringLiteral("load 1,000,000 short notes (%1)").arg(BenchFormat::mebibytes(fileSize));
    table.add(target, BenchFormat::millis(best), QStringLiteral("≤ %1 ms").arg(BoundMillis),
              best <= BoundMillis * 1000000);
    table.add(QStringLiteral("peak resident memory of that load (whole process, VmHWM)"),
              QStringLiteral("%1 MB").arg(double(peakKiB) * 1024 / 1e6, 0, 'f', 1),
              QStringLiteral("≤ 250 MB"), peakKiB * 1024 <= BoundBytes);
}
