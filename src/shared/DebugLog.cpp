#include "shared/DebugLog.h"

#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/CommandLine.h"
#include "shared/LocaleFormats.h"

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
    // The command line cannot change during a run, so the answer is worked out once.
    static const bool debug = CommandLine::hasSwitch(CommandLine::programArguments(), u"debug");
    return debug;
}

} // namespace SharedSrc

namespace {

constexpr char Header[] = "Quillet 1.54 debug log\r\n\r\n";

// A file's lines as a line-based reader sees them: CR LF, LF and CR each end one line, and text after
// the last break is one more line.
qsizetype countLines(const QByteArray& text)
{
    qsizetype lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    }
    if (!text.isEmpty() && text.back() != '\n' && text.back() != '\r')
        ++lines;
    return lines;
}

// The line count of the log as last written by this process, so that a trace costs one append instead
// of a read of the whole log. Another writer (a second instance) changes the size, and the count is
// then taken again from the file.
struct KnownLog
{
    QString path;
    qint64 size = -1;
    qsizetype lines = 0;
    bool endsWithBreak = true;
};

KnownLog& knownLog()
{
    static KnownLog log;
    return log;
}

} // namespace

bool TraceLogFile::append(const QString& path, const char* name, const QTime& time)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    KnownLog& known = knownLog();
    const qint64 size = file.size();
    QByteArray text;
    qsizetype number = 0;
    if (size == 0) {
        text = Header;
        number = 1;
        known.lines = 2;
        known.endsWithBreak = true;
    } else if (known.path == path && known.size == size) {
        number = known.lines;
    } else {
        file.seek(0);
        const QByteArray existing = file.readAll();
        known.lines = countLines(existing);
        known.endsWithBreak = existing.endsWith('\n') || existing.endsWith('\r');
        number = known.lines;
    }
    if (!known.endsWithBreak)
        text += "\r\n";
    text += QByteArray::number(number) + ". " + name + " [" +
            AnsiText::fromUnicode(LocaleFormats::longTime(time)) + "]\r\n";
    if (file.write(text) != text.size())
        return false;
    known.path = path;
    known.size = size + text.size();
    known.lines += 1;
    known.endsWithBreak = true;
    return true;
}
