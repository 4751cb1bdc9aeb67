#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Text files people exchange (a note loaded from or saved to a text file, the export report) are in the
// system's encoding (SystemLocale::textEncoding). Notes files
// keep their own encoding (AnsiText).
namespace TextFile {

enum class Encoding
{
    Locale,
    Utf8,
    Gb18030
};

// "utf-8" or "gb18030", in any letter case; nothing for any other name.
std::optional<Encoding> encodingByName(QStringView name);

// A text file's bytes: UTF-8, with or without a byte-order mark, when they are valid UTF-8; else the
// locale's encoding where it reads them without fault; else GB18030, which reads any bytes.
QString decode(QByteArrayView bytes);

// `text` as a text file's bytes, without a byte-order mark.
QByteArray encode(QStringView text, Encoding encoding = Encoding::Locale);

// Whether `encoding` is UTF-8.
bool isUtf8(Encoding encoding);

} // namespace TextFile
