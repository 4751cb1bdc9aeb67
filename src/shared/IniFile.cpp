#include "shared/IniFile.h"

#include "shared/AnsiText.h"
#include "shared/IniSnapshot.h"
#include "shared/IniSyntax.h"
#include "shared/RegularFile.h"
#include "shared/SaveFile.h"

#include <QDateTime>
#include <QFile>
#include <QList>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

using IniSyntax::LineKind;
using IniSyntax::trimBlanks;
using IniSyntax::WrittenLineEnd;

// A line as a write sees it: kept as it is unless the write changes it.
struct Line
{
    QByteArray text;    // as in the file, without its line end
    QByteArrayView end; // one of the LineEnds, or empty for a last line that has none
    LineKind kind = LineKind::Other;
    QString name; // section or key name
};

struct SectionRange
{
    qsizetype header; // index of the "[name]" line
    qsizetype end;    // index of the next section's header, or the line count
};

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

Line makeLine(QByteArray text, QByteArrayView end)
{
    Line line;
    line.text = std::move(text);
    line.end = end;
    const IniSyntax::LineShape shape = IniSyntax::shapeOf(line.text);
    line.kind = shape.kind;
    if (shape.kind == LineKind::Section)
        line.name = IniSyntax::sectionName(shape.name);
    else if (shape.kind == LineKind::Entry)
        line.name = AnsiText::toUnicode(shape.name);
    return line;
}

Line writtenLine(const QString& text)
{
    return makeLine(AnsiText::fromUnicode(text), WrittenLineEnd);
}

// The lines refer to `bytes` instead of copying them, so `bytes` must outlive them.
QList<Line> parseLines(const QByteArray& bytes)
{
    QList<Line> lines;
    lines.reserve(std::count(bytes.begin(), bytes.end(), '\n') + 1);
    IniSyntax::forEachLine(bytes, [&](QByteArrayView line, QByteArrayView end) {
        lines.append(makeLine(QByteArray::fromRawData(line.data(), line.size()), end));
    });
    return lines;
}

std::optional<SectionRange> findSection(const QList<Line>& lines, const QString& name)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
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

// A read error is no content: it must not pass for an empty file.
std::optional<QByteArray> readAllOf(QFile& file)
{
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

struct LoadedFile
{
    QByteArray bytes;
    QList<Line> lines; // referring to `bytes`
};

// A file that exists but cannot be read must not be replaced by the one line being written, nor a link
// written through.
std::optional<LoadedFile> loadForUpdate(const QString& path)
{
    LoadedFile loaded;
    QFile file;
    const RegularFile::Opened opened = RegularFile::open(file, path, QIODevice::ReadOnly);
    if (opened == RegularFile::Opened::Missing)
        return loaded;
    std::optional<QByteArray> bytes = opened == RegularFile::Opened::Yes ? readAllOf(file) : std::nullopt;
    if (!bytes)
        return std::nullopt;
    loaded.bytes = std::move(*bytes);
    loaded.lines = parseLines(loaded.bytes);
    return loaded; // moving the bytes keeps their buffer where the lines point
}

bool saveLines(const QString& path, const QList<Line>& lines)
{
    qsizetype size = 0;
    for (const Line& line : lines)
        size += line.text.size() + line.end.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (const Line& line : lines) {
        bytes += line.text;
        bytes += line.end;
    }
    // The path is the file that was read, any link of the user's own followed already: a link there was
    // planted since, and is refused.
    SaveFile::Rules rules;
    rules.links = SaveFile::Rules::Links::Refuse;
    return SaveFile::replace(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, rules);
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

// Qt's conversions take blanks and a sign before the digits, which no value here may have.
bool startsWithDigit(QStringView text, int base)
{
    if (text.isEmpty())
        return false;
    const char16_t c = text.front().unicode();
    return (c >= u'0' && c <= u'9') || (base == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
}

std::optional<int> parseInteger(QStringView text)
{
    bool ok = false;
    if (text.startsWith(u'$') || text.startsWith(u"0x") || text.startsWith(u"0X")) {
        const QStringView digits = text.sliced(text.startsWith(u'$') ? 1 : 2);
        // A 32-bit pattern, as a Windows LongInt takes it: "$FFFFFFFF" is -1.
        const uint value = digits.toUInt(&ok, 16);
        return ok && startsWithDigit(digits, 16) ? std::optional<int>(int(value)) : std::nullopt;
    }
    const QStringView digits = text.startsWith(u'-') || text.startsWith(u'+') ? text.sliced(1) : text;
    const int value = text.toInt(&ok, 10);
    return ok && startsWithDigit(digits, 10) ? std::optional<int>(value) : std::nullopt;
}

} // namespace

// The file as last read. Kept only for a file last changed a while before it was read: a write in the
// same tick of the file system's clock as the read could leave the file's stamp as it was.
struct IniFile::Snapshot
{
    static constexpr qint64 SettledNanoseconds = 2'000'000'000;

    RegularFile::Stamp stamp;
    IniSnapshot content;
};

IniFile::IniFile(QString fileName)
    : m_fileName(std::move(fileName)), m_path(RegularFile::followOwnLink(m_fileName))
{}

void IniFile::raiseWriteError() const
{
    throw IniWriteError(QStringLiteral("无法写入 %1").arg(m_fileName));
}

bool IniFile::canHold(QStringView value)
{
    return !hasLineBreakOrNul(value);
}

std::optional<QString> IniFile::find(const QString& section, const QString& key) const
{
    QFile file;
    if (RegularFile::open(file, m_path, QIODevice::ReadOnly) != RegularFile::Opened::Yes) {
        m_snapshot.reset();
        return std::nullopt;
    }
    const RegularFile::Stamp stamp = RegularFile::stampOf(file);
    std::shared_ptr<const Snapshot> snapshot = m_snapshot;
    if (!snapshot || snapshot->stamp != stamp) {
        std::optional<QByteArray> bytes = readAllOf(file);
        if (!bytes)
            return std::nullopt;
        snapshot = std::make_shared<const Snapshot>(Snapshot{stamp, IniSnapshot(std::move(*bytes))});
        const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
        const bool settled = stamp.modified <= now - Snapshot::SettledNanoseconds;
        m_snapshot = settled ? snapshot : nullptr;
    }
    return snapshot->content.value(trimBlanks(section).toString(), trimBlanks(key).toString());
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    std::optional<QString> value = find(section, key);
    if (!value)
        return defaultValue;
    if (value->size() > MaxValueLength) {
        const bool splitsPair = value->at(MaxValueLength - 1).isHighSurrogate();
        value->truncate(splitsPair ? MaxValueLength - 1 : MaxValueLength);
    }
    return *value;
}

QString IniFile::ReadWholeString(const QString& section, const QString& key) const
{
    return find(section, key).value_or(QString());
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
    std::optional<LoadedFile> loaded = loadForUpdate(m_path);
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
    if (!saveLines(m_path, *lines))
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
    std::optional<LoadedFile> loaded = loadForUpdate(m_path);
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
    if (removed > 0 && !saveLines(m_path, lines))
        raiseWriteError();
}

void IniFile::EraseSection(const QString& section)
{
    std::optional<LoadedFile> loaded = loadForUpdate(m_path);
    if (!loaded)
        raiseWriteError();
    QList<Line>& lines = loaded->lines;
    const QString sectionName = trimBlanks(section).toString();
    bool removed = false;
    while (const std::optional<SectionRange> range = findSection(lines, sectionName)) {
        lines.remove(range->header, range->end - range->header);
        removed = true;
    }
    if (removed && !saveLines(m_path, lines))
        raiseWriteError();
}
