#pragma once

#include <QByteArray>
#include <QString>

// The one place where the program's byte strings (GB18030, a superset of GBK) meet Unicode.
namespace AnsiText {
QByteArray fromUnicode(QStringView text);
// Invalid byte sequences become U+FFFD for display; the bytes themselves are never rewritten from this.
QString toUnicode(QByteArrayView bytes);
} // namespace AnsiText
