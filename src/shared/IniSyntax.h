#pragma once

#include <QByteArrayView>
#include <QString>

#include <algorithm>

// How the settings file's lines are told apart, by their bytes alone: a settings file can be large, and a
// read wants one value. That is exact for GB18030: a line starts at a character, CR, LF, blanks, ";",
// "[" and "=" are single bytes never found inside a multi-byte character. A "]" can be (as a trail
// byte), so section names are decoded before their end is looked for.
namespace IniSyntax {

inline constexpr QByteArrayView LineEnds[] = {"\r\n", "\n", "\r"};
inline constexpr QByteArrayView WrittenLineEnd = LineEnds[0];

enum class LineKind
{
    Other, // blank, comment or anything else: kept, never looked at
    Section,
    Entry,
};

struct LineShape
{
    LineKind kind = LineKind::Other;
    QByteArrayView name;      // entries: the key without blanks; sections: everything after the "["
    qsizetype valueStart = 0; // entries: where the value's bytes begin in the line
};

LineShape shapeOf(QByteArrayView line);

// The section name of a section line's bytes after its "[".
QString sectionName(QByteArrayView afterBracket);

// A value's text, without the blanks around it.
QString decodedValue(QByteArrayView bytes);

// Only spaces and tabs: other white space (an ideographic space, say) belongs to the text.
QStringView trimBlanks(QStringView text);

// Calls `visit(line, end)` for every line of `bytes`, `end` being one of LineEnds or empty for a last
// line without one.
template <typename Visit> void forEachLine(QByteArrayView bytes, Visit visit)
{
    const char* const data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        const char* const found =
            std::find_if(data + start, data + size, [](char c) { return c == '\r' || c == '\n'; });
        const qsizetype i = found - data;
        if (i == size) {
            visit(bytes.sliced(start), QByteArrayView());
            return;
        }
        const QByteArrayView end = data[i] == '\n'                         ? LineEnds[1]
                                   : (i + 1 < size && data[i + 1] == '\n') ? LineEnds[0]
                                                                           : LineEnds[2];
        visit(bytes.sliced(start, i - start), end);
        start = i + end.size();
    }
}

} // namespace IniSyntax
