#pragma once

#include <QByteArray>
#include <QString>

// The one place where the program's byte strings (GB18030, a superset of GBK) meet Unicode.
namespace AnsiText {
QByteArray fromUnicode(QStringView text);
// Invalid byte sequences become U+FFFD for display; the bytes themselves are never rewritten from this.
QString toUnicode(QByteArrayView bytes);
// Appends toUnicode(bytes).toUtf8() to `out`, without the detour through UTF-16 for the ASCII and
// two-byte characters that make up nearly every note.
void appendUtf8(QByteArray& out, QByteArrayView bytes);
// The most bytes that toUnicode(bytes).toUtf8() can take for `size` bytes: an invalid byte gives U+FFFD.
constexpr qsizetype maxUtf8Size(qsizetype size)
{
    return 3 * size + 4;
}
// Writes toUnicode(bytes).toUtf8() to `to`, which has room for maxUtf8Size(bytes.size()) bytes; gives
// the number of bytes written.
qsizetype writeUtf8(QByteArrayView bytes, char* to);
} // namespace AnsiText
