#include "shared/DebugLog.h"

#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/CommandLine.h"
#include "shared/LocaleFormats.h"
#include "shared/RegularFile.h"
#include "shared/Version.h"

#include <QCoreApplication>
#include <QFile>
#include <QTime>

namespace SharedSrc {
namespace {
const char* g_lastTraceName = "";
} // namespace

void DebugLog(const char* name)
{
    g_lastTraceName = name;
    if (!IsDebugMode())
        return;
    TraceLogFile::append(AppPaths::debugLogPath(), name, QTime::currentTime());
}

QString LastTraceName()
{
    return QString::fromLatin1(g_lastTraceName);
}

bool IsDebugMode()
{
    // The command line cannot change during a run, so the answer is worked out once; but only once the
    // application object exists, as a trace made before it would otherwise see no arguments for good.
    static bool known = false;
    static bool debug = false;
    if (!known && QCoreApplication::instance()) {
        debug = CommandLine::hasSwitch(CommandLine::programArguments(), u"debug");
        known = true;
    }
    return debug;
}

} // namespace SharedSrc

namespace {

// The header line and the empty line after it.
QByteArray header()
{
    return QByteArray("Quillet ") + Quillet::ProgramVersion + " debug log\r\n\r\n";
}

// Counts a file's lines as a line-based reader sees them: CR LF, LF and CR each end one line, and text
// after the last break is one more line. Read in pieces, since the log grows without limit across runs.
struct LineCount
{
    qsizetype lines = 0;
    bool endsWithBreak = true;
};

LineCount countLines(QIODevice& device)
{
    LineCount count;
    char previous = '\n';
    char buffer[65536];
    qint64 got = 0;
    while ((got = device.read(buffer, sizeof buffer)) > 0) {
        for (qint64 i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\r' || (c == '\n' && previous != '\r'))
                ++count.lines;
            previous = c;
        }
    }
    count.endsWithBreak = previous == '\n' || previous == '\r';
    if (!count.endsWithBreak)
        ++count.lines;
    return count;
}

// The log this process appends to, kept open between traces (opening and closing it for every entry
// cost more than the entry), and its line count as last written by this process, so that a trace costs
// one append instead of a read of the whole log. Another writer (a second instance) changes the size,
// and the count is then taken again from the file.
struct KnownLog
{
    QFile file;
    QString path;
    qint64 size = -1;
    qsizetype lines = 0;
    bool endsWithBreak = true;

    void forget()
    {
        file.close();
        path.clear();
        size = -1;
    }
};

KnownLog& knownLog()
{
    static KnownLog log;
    return log;
}

// Opens the log at `path` unless it is open already; gives its size, or -1 when it cannot be opened.
qint64 openLog(KnownLog& known, const QString& path)
{
    if (known.file.isOpen() && known.path == path) {
        const qint64 size = RegularFile::linkedSize(known.file);
        if (size >= 0)
            return size;
    }
    known.forget();
    // Unbuffered: the entry goes out in one write, and a failed one can be taken back at once.
    if (RegularFile::open(known.file, path,
                          QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered) !=
        RegularFile::Opened::Yes)
        return -1;
    known.path = path;
    return known.file.size();
}

} // namespace

bool TraceLogFile::append(const QString& path, const char* name, const QTime& time)
{
    KnownLog& known = knownLog();
    const qint64 size = openLog(known, path);
    if (size < 0)
        return false;
    QFile& file = known.file;
    QByteArray text;
    qsizetype number = 0;
    if (size == 0) {
        text = header();
        number = 1;
        known.lines = 2;
        known.endsWithBreak = true;
    } else if (known.size == size) {
        number = known.lines;
    } else {
        file.seek(0);
        const LineCount count = countLines(file);
        known.lines = count.lines;
        known.endsWithBreak = count.endsWithBreak;
        number = known.lines;
    }
    if (!known.endsWithBreak)
        text += "\r\n";
    text += QByteArray::number(number) + ". " + name + " [" +
            AnsiText::fromUnicode(LocaleFormats::longTime(time)) + "]\r\n";
    if (file.write(text) != text.size()) {
        // Take back a partly written entry, and count the file again next time.
        if (!file.isSequential())
            file.resize(size);
        known.forget();
        return false;
    }
    known.size = size + text.size();
    known.lines += 1;
    known.endsWithBreak = true;
    return true;
}
