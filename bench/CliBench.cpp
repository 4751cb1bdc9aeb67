#include "BenchTable.h"
#include "Benches.h"
#include "SampleNotes.h"
#include "SyncedReplace.h"

#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "shared/AnsiText.h"
#include "shared/Cipher.h"
#include "shared/NoteFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr qsizetype NoteCount = 1000000;
constexpr qsizetype MeanTextBytes = 24;
constexpr int Runs = 5;
constexpr int StartRuns = 15;
constexpr qint64 MemorySlackBytes = 64 * 1024 * 1024;
constexpr qint64 WritingSlackBytes = 72 * 1024 * 1024;

struct Run
{
    qint64 nanoseconds = std::numeric_limits<qint64>::max();
    qint64 peakBytes = 0;
};

// One run of `program`, measured from a process of its own: the peak resident size the kernel keeps for
// a child includes that of the process it was started from, which for the benchmark itself is large.
Run measuredRun(const QString& self, const QString& program, const QStringList& arguments,
                const QString& outPath)
{
    QProcess launcher;
    launcher.start(self, QStringList{QLatin1String(MeasureSwitch), outPath, program} + arguments);
    if (!launcher.waitForFinished(120000) || launcher.exitCode() != 0)
        qFatal("%s did not run: %s", qPrintable(program), launcher.readAllStandardError().constData());
    const QList<QByteArray> fields = launcher.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        qFatal("the measuring process gave no figures");
    return {fields.at(0).toLongLong(), fields.at(1).toLongLong()};
}

// The fastest of `runs` runs, and the largest peak among them; `before` readies each run, untimed.
Run fastestRun(const QString& self, const QString& program, const QStringList& arguments,
               const QString& outPath, int runs, const std::function<void()>& before = {})
{
    Run best;
    for (int run = 0; run < runs; ++run) {
        if (before)
            before();
        const Run one = measuredRun(self, program, arguments, outPath);
        best.nanoseconds = std::min(best.nanoseconds, one.nanoseconds);
        best.peakBytes = std::max(best.peakBytes, one.peakBytes);
    }
    return best;
}

// The floor's output for one note: what `list` or `export` prints for it, with the bytes as the file
// holds them, so no conversion, numbering or formatting is done.
void appendFloorLines(QByteArray& out, bool report, QByteArrayView text, char priority, bool done)
{
    static const QByteArray equals(80, '=');
    if (report) {
        out.append(done ? "[ x ] " : "[   ] ");
        out.append(priority);
        out.append("\r\n");
        out.append(equals);
        out.append("\r\n");
        out.append(text);
        out.append("\r\n");
        out.append(equals);
        out.append("\r\n\r\n");
    } else {
        const qsizetype cr = text.indexOf('\r');
        out.append(done ? "1. [x] " : "1. [ ] ");
        out.append(priority);
        out.append(' ');
        out.append(cr < 0 ? text : text.first(cr));
        out.append('\n');
    }
}

QString sizeInMiB(qint64 bytes)
{
    return QStringLiteral("%1 MiB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

void addCommandRows(BenchTable& table, const QString& what, const Run& command, const Run& floor,
                    qint64 fileSize)
{
    const double ratio = double(command.nanoseconds) / double(floor.nanoseconds);
    table.add(
        QStringLiteral("`quillet-cli %1`, 1,000,000 notes (%2)").arg(what, sizeInMiB(fileSize)),
        QStringLiteral("%1 (%2 × floor)").arg(BenchFormat::millis(command.nanoseconds)).arg(ratio, 0, 'f', 2),
        QStringLiteral("≤ 2 × floor %1").arg(BenchFormat::millis(floor.nanoseconds)), ratio <= 2.0);
    const qint64 bound = 2 * fileSize + MemorySlackBytes;
    table.add(QStringLiteral("peak resident memory of that `%1` (whole process)").arg(what),
              sizeInMiB(command.peakBytes), QStringLiteral("≤ 2 × file + 64 MiB = %1").arg(sizeInMiB(bound)),
              command.peakBytes <= bound);
}

// The rows of a command that changes the file: its time against its floor, its memory against the file.
void addWritingRows(BenchTable& table, const QString& what, const Run& command, const Run& floor,
                    qint64 fileSize)
{
    const double ratio = double(command.nanoseconds) / double(floor.nanoseconds);
    table.add(
        QStringLiteral("`quillet-cli %1`, 1,000,000 notes (%2)").arg(what, sizeInMiB(fileSize)),
        QStringLiteral("%1 (%2 × floor)").arg(BenchFormat::millis(command.nanoseconds)).arg(ratio, 0, 'f', 2),
        QStringLiteral("≤ 1.5 × floor %1").arg(BenchFormat::millis(floor.nanoseconds)), ratio <= 1.5);
    const qint64 bound = fileSize + WritingSlackBytes;
    table.add(QStringLiteral("peak resident memory of that `%1` (whole process)").arg(what),
              sizeInMiB(command.peakBytes), QStringLiteral("≤ file + 72 MiB = %1").arg(sizeInMiB(bound)),
              command.peakBytes <= bound);
}

// What a command that changes one note cannot do without: the file read, deciphered, walked once to the
// middle note, whose done mark is turned, enciphered again, written beside the file, synced and renamed
// over it.
int writeFloor(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    QByteArray bytes = file.readAll();
    file.close();
    const QByteArray key(SharedSrc::DefaultKey);
    char* const stream = bytes.data() + QltFormat::StreamOffset;
    const qsizetype streamSize = bytes.size() - QltFormat::StreamOffset;
    SharedSrc::XORCryptInPlace(stream, streamSize, key);
    qsizetype records = 0;
    qsizetype middle = -1;
    for (qsizetype pos = 0; pos + 8 <= streamSize; pos += 8 + qFromLittleEndian<quint32>(stream + pos)) {
        if (records++ == NoteCount / 2)
            middle = pos;
    }
    if (middle >= 0)
        stream[middle + 6] = char(stream[middle + 6] ^ 1);
    SharedSrc::XORCryptInPlace(stream, streamSize, key);
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".floor";
    if (!writeSyncedAndReplace(bytes, temporary, target))
        return 2;
    return 0;
}

} // namespace

int measureChild(int argc, char** argv)
{
    // argv: this program, the switch, the output file, the program to run and its arguments.
    if (argc < 4)
        return 2;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    if (posix_spawn(&child, argv[3], &actions, nullptr, argv + 3, environ) != 0)
        return 2;
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 2;
    std::printf("%lld %lld\n", static_cast<long long>(timer.nsecsElapsed()),
                static_cast<long long>(usage.ru_maxrss) * 1024);
    return 0;
}

int cliFloorChild(const QString& mode, const QString& path)
{
    if (mode == QLatin1String("write"))
        return writeFloor(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    QByteArray bytes = file.readAll();
    SharedSrc::XORCryptInPlace(bytes.data() + QltFormat::StreamOffset, bytes.size() - QltFormat::StreamOffset,
                               QByteArray(SharedSrc::DefaultKey));
    const bool report = mode == QLatin1String("export");
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    // Written in pieces, as the program writes.
    constexpr qsizetype Piece = 64 * 1024;
    QByteArray pending;
    pending.reserve(Piece + 4096);
    const char* data = bytes.constData();
    for (qsizetype pos = QltFormat::StreamOffset; pos + 8 <= bytes.size();) {
        const quint32 length = qFromLittleEndian<quint32>(data + pos);
        const QByteArrayView text(data + pos + 8, std::min<qsizetype>(length, bytes.size() - pos - 8));
        appendFloorLines(pending, report, text, char('0' + data[pos + 4]), data[pos + 6] != 0);
        pos += 8 + text.size();
        if (pending.size() >= Piece) {
            out.write(pending);
            pending.clear();
        }
    }
    out.write(pending);
    return out.flush() ? 0 : 2;
}

void benchCli(BenchTable& table, const QString& dir, const QString& self)
{
    const QString binDir = QFileInfo(self).absolutePath();
    const QString cli = QDir(binDir).filePath(QStringLiteral("quillet-cli"));
    const QString minimal = QDir(binDir).filePath(QStringLiteral("quillet-bench-minimal"));
    if (!QFileInfo(cli).isExecutable() || !QFileInfo(minimal).isExecutable()) {
        table.notDone(QStringLiteral("`quillet-cli` rows"),
                      QStringLiteral("quillet-cli is not built beside the benchmark"));
        return;
    }
    const QString path = QDir(dir).filePath(QStringLiteral("cli-million.qlt"));
    const QString empty = QDir(dir).filePath(QStringLiteral("cli-empty.qlt"));
    const QString output = QDir(dir).filePath(QStringLiteral("cli-output.txt"));
    if (!QltFile::writeNotes(path, SampleNotes::make(NoteCount, MeanTextBytes, 13), {}, 0) ||
        !QltFile::writeNotes(empty, {}, {}, 0))
        qFatal("cannot write the notes files for quillet-cli");
    const qint64 fileSize = QFileInfo(path).size();

    for (const QString& what : {QStringLiteral("list"), QStringLiteral("export")}) {
        const Run floor = fastestRun(self, self, {QStringLiteral("--cli-floor"), what, path}, output, Runs);
        const Run command = fastestRun(self, cli, {what, path}, output, Runs);
        addCommandRows(table, what, command, floor, fileSize);
    }

    // Each run changes the file: every one starts from a fresh copy, read once so that it is in memory, as
    // the file a list has just shown.
    const QString changed = QDir(dir).filePath(QStringLiteral("cli-changed.qlt"));
    const auto freshCopy = [&] {
        QFile::remove(changed);
        QFile copy(changed);
        if (!QFile::copy(path, changed) || !copy.open(QIODevice::ReadOnly) ||
            copy.readAll().size() != fileSize)
            qFatal("cannot copy the notes file for quillet-cli");
    };
    const Run writeFloor =
        fastestRun(self, self, {QStringLiteral("--cli-floor"), QStringLiteral("write"), changed}, output,
                   Runs, freshCopy);
    table.addContext(QStringLiteral("floor of a `quillet-cli` command that changes the file: %1")
                         .arg(BenchFormat::millis(writeFloor.nanoseconds)));
    const QString middle = QString::number(NoteCount / 2);
    const std::pair<QString, QStringList> writers[] = {
        {QStringLiteral("add"), {QStringLiteral("add"), changed, QStringLiteral("一条新的记事")}},
        {QStringLiteral("done"), {QStringLiteral("done"), changed, middle}},
        {QStringLiteral("rm"), {QStringLiteral("rm"), changed, middle}},
    };
    for (const auto& [what, arguments] : writers)
        addWritingRows(table, what, fastestRun(self, cli, arguments, output, Runs, freshCopy), writeFloor,
                       fileSize);

    const Run bare = fastestRun(self, minimal, {}, output, StartRuns);
    const Run start = fastestRun(self, cli, {QStringLiteral("list"), empty}, output, StartRuns);
    const double ratio = double(start.nanoseconds) / double(bare.nanoseconds);
    table.add(QStringLiteral("`quillet-cli list` start, empty file"),
              QStringLiteral("%1 (%2 × Qt Core start)")
                  .arg(BenchFormat::millis(start.nanoseconds))
                  .arg(ratio, 0, 'f', 2),
              QStringLiteral("≤ 2 × minimal Qt Core program %1").arg(BenchFormat::millis(bare.nanoseconds)),
              ratio <= 2.0);
}

int writeComparisonData(qsizetype count, const QString& notesPath, const QString& tasksPath)
{
    // One line each, none done: what both programs list alike.
    QList<Note> notes = SampleNotes::make(count, 40, 17);
    QJsonArray tasks;
    for (Note& note : notes) {
        note.text.replace("\r\n", " ");
        note.imageIndex = Note::ImageNotDone;
        static const char* const levels[] = {"L", "M", "H", "H"};
        tasks.append(QJsonObject{
            {QStringLiteral("description"), AnsiText::toUnicode(note.text)},
            {QStringLiteral("priority"), QLatin1String(levels[SharedSrc::GetPriorityByText(note.priority)])},
            {QStringLiteral("status"), QStringLiteral("pending")},
            {QStringLiteral("entry"), QStringLiteral("20240101T000000Z")},
            {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
        });
    }
    QFile json(tasksPath);
    if (!QltFile::writeNotes(notesPath, notes, {}, 0) || !json.open(QIODevice::WriteOnly) ||
        json.write(QJsonDocument(tasks).toJson(QJsonDocument::Compact)) < 0)
        return 2;
    return 0;
}
