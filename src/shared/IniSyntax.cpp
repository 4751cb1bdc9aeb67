#include "shared/IniSyntax.h"

#include "shared/AnsiText.h"

namespace IniSyntax {
namespace {

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlankBytes(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && isBlankByte(bytes.front()))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && isBlankByte(bytes.back()))
        bytes.chop(1);
    return bytes;
}

} // namespace

LineShape shapeOf(QByteArrayView line)
{
    qsizetype first = 0;
    while (first < line.size() && isBlankByte(line[first]))
        ++first;
    if (first == line.size() || line[first] == ';')
        return {};
    if (line[first] == '[')
        return {LineKind::Section, line.sliced(first + 1), 0};
    const qsizetype equals = line.indexOf('=', first);
    if (equals < 0)
        return {};
    const QByteArrayView key = trimBlankBytes(line.sliced(first, equals - first));
    if (key.isEmpty())
        return {};
    return {LineKind::Entry, key, equals + 1};
}

QString sectionName(QByteArrayView afterBracket)
{
    const QString decoded = AnsiText::toUnicode(afterBracket);
    const qsizetype close = decoded.indexOf(u']');
    return trimBlanks(QStringView(decoded).first(close < 0 ? decoded.size() : close)).toString();
}

QString decodedValue(QByteArrayView bytes)
{
    return AnsiText::toUnicode(trimBlankBytes(bytes));
}

QStringView trimBlanks(QStringView text)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

} // namespace IniSyntax
