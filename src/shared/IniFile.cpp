#include "shared/IniFile.h"

#include "shared/AnsiText.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

enum class LineKind
{
    Other, // blank, comment or anything else: kept, never looked at
    Section,
    Entry,
};

struct Line
{
    QByteArray text;    // as in the file, without its line end
    QByteArrayView end; // one of the LineEnds, or empty for a last line that has none
    LineKind kind = LineKind::Other;
    QString name;             // section or key name
    qsizetype valueStart = 0; // entries: where the value's bytes begin in `text`
};

constexpr QByteArrayView LineEnds[] = {"\r\n", "\n", "\r"};
constexpr QByteArrayView WrittenLineEnd = LineEnds[0];

struct SectionRange
{
    qsizetype header; // index of the "[name]" line
    qsizetype end;    // index of the next section's header, or the line count
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Only spaces and tabs: other white space (an ideographic space, say) belongs to the text.
QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

// Lines are told apart by their bytes, and only names are decoded: a settings file can be large, and a
// read wants one value. That is exact for GB18030: a line starts at a character, blanks are single
// bytes, and "=" is never part of a multi-byte character. A "]" can be (as a trail byte), so section
// lines are decoded before their name is looked for.
Line makeLine(QByteArray text, QByteArrayView end)
{
    Line line;
    line.text = std::move(text);
    line.end = end;
    const QByteArrayView bytes(line.text);
    qsizetype first = 0;
    while (first < bytes.size() && isBlankByte(bytes[first]))
        ++first;
    if (first == bytes.size() || bytes[first] == ';')
        return line;
    if (bytes[first] == '[') {
        const QString decoded = AnsiText::toUnicode(bytes.sliced(first + 1));
        const qsizetype close = decoded.indexOf(u']');
        line.kind = LineKind::Section;
        line.name = trimBlanks(QStringView(decoded).first(close < 0 ? decoded.size() : close)).toString();
        return line;
    }
    const qsizetype equals = bytes.indexOf('=', first);
    if (equals < 0)
        return line;
    const QString key = AnsiText::toUnicode(bytes.sliced(first, equals - first));
    const QStringView name = trimBlanks(key);
    if (name.isEmpty())
        return line;
    line.kind = LineKind::Entry;
    line.name = name.toString();
    line.valueStart = equals + 1;
    return line;
}

QString valueOf(const Line& entry)
{
    const QString decoded = AnsiText::toUnicode(QByteArrayView(entry.text).sliced(entry.valueStart));
    return trimBlanks(decoded).toString();
}

Line writtenLine(const QString& text)
{
    return makeLine(AnsiText::fromUnicode(text), WrittenLineEnd);
}

// GB18030 never uses CR or LF inside a multi-byte character, so lines can be split as bytes. The lines
// refer to `bytes` instead of copying them, so `bytes` must outlive them.
QList<Line> parseLines(const QByteArray& bytes)
{
    QList<Line> lines;
    lines.reserve(std::count(bytes.begin(), bytes.end(), '\n') + 1);
    const char* const data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const char* const found =
            std::find_if(data + start, data + size, [](char c) { return c == '\r' || c == '\n'; });
        const qsizetype i = found - data;
        if (i == size) {
            lines.append(makeLine(QByteArray::fromRawData(data + start, size - start), {}));
            break;
        }
        const QByteArrayView end = data[i] == '\n'                         ? LineEnds[1]
                                   : (i + 1 < size && data[i + 1] == '\n') ? LineEnds[0]
                                                                           : LineEnds[2];
        lines.append(makeLine(QByteArray::fromRawData(data + start, i - start), end));
        start = i + end.size();
    }
    return lines;
}

std::optional<SectionRange> findSection(const QList<Line>& lines, const QString& name, qsizetype from = 0)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Section || !sameName(lines[i].name, name))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && lines[end].kind != LineKind::Section)
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

qsizetype findKey(const QList<Line>& lines, SectionRange range, const QString& key)
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == LineKind::Entry && sameName(lines[i].name, key))
            return i;
    }
    return -1;
}

// The line is about to get a successor.
void terminate(Line& line)
{
    if (line.end.isEmpty())
        line.end = WrittenLineEnd;
}

std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

struct LoadedFile
{
    QByteArray bytes;
    QList<Line> lines; // referring to `bytes`
};

// A file that exists but cannot be read must not be replaced by the one line being written.
std::optional<LoadedFile> loadForUpdate(const QString& path)
{
    LoadedFile file;
    if (!QFileInfo::exists(path))
        return file;
    std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    file.bytes = std::move(*bytes);
    file.lines = parseLines(file.bytes);
    return file; // moving the bytes keeps their buffer where the lines point
}

// A file without any write permission bit counts as read-only even for root, like the read-only
// attribute on Windows; otherwise QSaveFile's rename would quietly replace it. (WriteUser is left out:
// it asks access(), which says yes to root.)
bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

bool saveLines(const QString& path, const QList<Line>& lines)
{
    if (isReadOnly(path))
        return false;
    qsizetype size = 0;
    for (const Line& line : lines)
        size += line.text.size() + line.end.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (const Line& line : lines) {
        bytes += line.text;
        bytes += line.end;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() does not report a write that fails while it flushes the buffer; flushing first does.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool hasLineBreakOrNul(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

bool isWritableSection(QStringView name)
{
    return !name.isEmpty() && !hasLineBreakOrNul(name) && !name.contains(u']');
}

bool isWritableKey(QStringView name)
{
    return !name.isEmpty() && !hasLineBreakOrNul(name) && !name.contains(u'=') && !name.startsWith(u'[') &&
           !name.startsWith(u';');
}

std::optional<int> parseHex(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = c >= u'0' && c <= u'9'   ? c.unicode() - u'0'
                          : c >= u'a' && c <= u'f' ? c.unicode() - u'a' + 10
                          : c >= u'A' && c <= u'F' ? c.unicode() - u'A' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + quint64(digit);
        if (value > std::numeric_limits<quint32>::max())
            return std::nullopt;
    }
    // A 32-bit pattern, as a Windows LongInt takes it: "$FFFFFFFF" is -1.
    return int(quint32(value));
}

std::optional<int> parseInteger(QStringView text)
{
    if (text.startsWith(u'$'))
        return parseHex(text.sliced(1));
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        return parseHex(text.sliced(2));
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

} // namespace

IniFile::IniFile(QString fileName) : m_fileName(std::move(fileName)) {}

void IniFile::raiseWriteError() const
{
    throw IniWriteError(QStringLiteral("无法写入 %1").arg(m_fileName));
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QByteArray> bytes = readFile(m_fileName);
    if (!bytes)
        return defaultValue;
    const QList<Line> lines = parseLines(*bytes);
    const std::optional<SectionRange> range = findSection(lines, trimBlanks(section).toString());
    if (!range)
        return defaultValue;
    const qsizetype index = findKey(lines, *range, trimBlanks(key).toString());
    if (index < 0)
        return defaultValue;
    QString value = valueOf(lines[index]);
    if (value.size() > MaxValueLength) {
        const bool splitsPair = value[MaxValueLength - 1].isHighSurrogate();
        value.truncate(splitsPair ? MaxValueLength - 1 : MaxValueLength);
    }
    return value;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    return parseInteger(ReadString(section, key, QString())).value_or(defaultValue);
}

bool IniFile::ReadBool(const QString& section, const QString& key) const
{
    return ReadString(section, key, QString()) == u"1";
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = trimBlanks(section).toString();
    const QString keyName = trimBlanks(key).toString();
    if (!isWritableSection(sectionName) || !isWritableKey(keyName) || hasLineBreakOrNul(value))
        raiseWriteError();
    std::optional<LoadedFile> loaded = loadForUpdate(m_fileName);
    if (!loaded)
        raiseWriteError();
    QList<Line>* lines = &loaded->lines;

    const std::optional<SectionRange> range = findSection(*lines, sectionName);
    if (!range) {
        if (!lines->isEmpty())
            terminate(lines->last());
        lines->append(writtenLine(u'[' + sectionName + u']'));
        lines->append(writtenLine(keyName + u'=' + value));
    } else if (const qsizetype index = findKey(*lines, *range, keyName); index >= 0) {
        // The key keeps the spelling the file gave it.
        (*lines)[index] = writtenLine((*lines)[index].name + u'=' + value);
    } else {
        // After the section's last key, so that blank lines and comments before the next section
        // stay with that section.
        qsizetype after = range->header;
        for (qsizetype i = range->header + 1; i < range->end; ++i) {
            if ((*lines)[i].kind == LineKind::Entry)
                after = i;
        }
        terminate((*lines)[after]);
        lines->insert(after + 1, writtenLine(keyName + u'=' + value));
    }
    if (!saveLines(m_fileName, *lines))
        raiseWriteError();
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::DeleteKey(const QString& section, const QString& key)
{
    std::optional<LoadedFile> loaded = loadForUpdate(m_fileName);
    if (!loaded)
        raiseWriteError();
    QList<Line>& lines = loaded->lines;
    const std::optional<SectionRange> range = findSection(lines, trimBlanks(section).toString());
    if (!range)
        return;
    // Every copy of the key goes, so that a later duplicate does not take its place.
    const QString keyName = trimBlanks(key).toString();
    qsizetype removed = 0;
    for (qsizetype i = range->end - 1; i > range->header; --i) {
        if (lines[i].kind == LineKind::Entry && sameName(lines[i].name, keyName)) {
            lines.removeAt(i);
            ++removed;
        }
    }
    if (removed > 0 && !saveLines(m_fileName, lines))
        raiseWriteError();
}

void IniFile::EraseSection(const QString& section)
{
    std::optional<LoadedFile> loaded = loadForUpdate(m_fileName);
    if (!loaded)
        raiseWriteError();
    QList<Line>& lines = loaded->lines;
    const QString sectionName = trimBlanks(section).toString();
    bool removed = false;
    while (const std::optional<SectionRange> range = findSection(lines, sectionName)) {
        lines.remove(range->header, range->end - range->header);
        removed = true;
    }
    if (removed && !saveLines(m_fileName, lines))
        raiseWriteError();
}
