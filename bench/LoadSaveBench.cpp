#include "BenchClock.h"
#include "BenchTable.h"
#include "Benches.h"
#include "OpenFile.h"
#include "SampleNotes.h"

#include "document/NotesDocument.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "document/StrongFormat.h"
#include "shared/Cipher.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

constexpr qsizetype NoteCount = 100000;
constexpr qsizetype MeanTextBytes = 500; // about 50 MB in all
constexpr int Repetitions = 5;

const QByteArray Password("Kennwort42");

void addRatioRow(BenchTable& table, const QString& target, qint64 nanoseconds, qint64 floor, double limit)
{
    table.add(target,
              QStringLiteral("%1 (%2 × floor)")
                  .arg(BenchFormat::millis(nanoseconds))
                  .arg(double(nanoseconds) / double(floor), 0, 'f', 2),
              QStringLiteral("≤ %1 × floor %2").arg(limit).arg(BenchFormat::millis(floor)),
              double(nanoseconds) <= limit * double(floor));
}

// The strong format against the classic one on the same notes. The key is derived once, as an open or a
// new password does, and measured on its own; the opens measured reuse it, as a document does when it
// reads its own file again, and a save never derives one.
void benchStrong(BenchTable& table, const QString& dir, const QList<Note>& notes, NotesDocument& classic)
{
    const QString classicPath = QDir(dir).filePath(QStringLiteral("large.qlt"));
    const QString path = QDir(dir).filePath(QStringLiteral("strong.qlt"));
    std::optional<KeyDerivation::Key> key;
    const qint64 derive = BenchClock::fastestOf(3, [&] {
        key = KeyDerivation::derive(SecretBytes(Password), KeyDerivation::fresh(KeyDerivation::Tuned));
    });
    if (!key || !QltFile::writeAtomically(path, StrongFormat::write(notes, 0, *key)))
        qFatal("cannot write the strong benchmark file");
    table.add(
        QStringLiteral("derive a strong key (Argon2id, %1 passes, %2 MiB), on open and new password only")
            .arg(KeyDerivation::Tuned.passes)
            .arg(KeyDerivation::Tuned.memoryKiB / 1024),
        BenchFormat::millis(derive), QStringLiteral("about 500 ms (250 to 1000 ms)"),
        derive >= 250'000'000 && derive <= 1'000'000'000);

    NotesDocument document;
    openInto(document, path, Password);
    // Opened again and again: the document keeps the file's key, and drops the notes it had, as a window's
    // open does.
    const auto openAgain = [](NotesDocument& into, const QString& file) {
        return BenchClock::fastestOf(Repetitions, [&] { openInto(into, file, Password); });
    };
    const qint64 classicLoad = openAgain(classic, classicPath);
    const qint64 load = openAgain(document, path);
    if (document.notes() != notes || document.protection() != Protection::Kind::Strong)
        qFatal("the strong file's notes differ from the saved ones");
    const auto saveOf = [](NotesDocument& from, const QString& file) {
        return BenchClock::fastestOf(Repetitions, [&] {
            if (!from.save(file).saved)
                qFatal("cannot save the benchmark file");
        });
    };
    const qint64 classicSave = saveOf(classic, classicPath);
    const qint64 save = saveOf(document, path);
    addRatioRow(table,
                QStringLiteral("load the same notes, strong, its key already derived (floor: classic load)"),
                load, classicLoad, 1.3);
    addRatioRow(table, QStringLiteral("save them strong (floor: classic save)"), save, classicSave, 1.3);
}

} // namespace

void benchLoadSave(BenchTable& table, const QString& dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("large.qlt"));
    const QString floorPath = QDir(dir).filePath(QStringLiteral("floor.bin"));
    const QList<Note> original = SampleNotes::make(NoteCount, MeanTextBytes, 7);
    const QByteArray fileBytes = QltFormat::write(original, Password, 0);
    if (!QltFile::writeAtomically(path, fileBytes))
        qFatal("cannot write the benchmark file");

    // Floor of a load: the file's bytes into memory and deciphered, nothing else.
    const qint64 loadFloor = BenchClock::fastestOf(Repetitions, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the benchmark file");
        QByteArray bytes = file.readAll();
        SharedSrc::XORCryptInPlace(bytes.data() + QltFormat::StreamOffset,
                                   bytes.size() - QltFormat::StreamOffset, Password);
    });

    NotesDocument document;
    const qint64 load = BenchClock::fastestOf(
        Repetitions, [&] { document.clear(); }, [&] { openInto(document, path, Password); });
    if (document.notes() != original)
        qFatal("the loaded notes differ from the saved ones");

    // Floor of a save: the same bytes enciphered, written and synced to the disk.
    QByteArray plain = fileBytes;
    const qint64 saveFloor = BenchClock::fastestOf(Repetitions, [&] {
        SharedSrc::XORCryptInPlace(plain.data() + QltFormat::StreamOffset,
                                   plain.size() - QltFormat::StreamOffset, Password);
        QFile file(floorPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(plain) != plain.size() ||
            !file.flush() || ::fsync(file.handle()) != 0)
            qFatal("cannot write the floor file");
    });

    const qint64 save = BenchClock::fastestOf(Repetitions, [&] {
        if (!document.save(path).saved)
            qFatal("cannot save the benchmark file");
    });

    const QString size = BenchFormat::mebibytes(fileBytes.size());
    addRatioRow(table, QStringLiteral("load 100,000 notes (%1, protected) into `NotesDocument`").arg(size),
                load, loadFloor, 1.5);
    addRatioRow(table, QStringLiteral("save the same document"), save, saveFloor, 3.0);
    benchStrong(table, dir, original, document);
}
