#include "shared/TextFile.h"

#include "shared/AnsiText.h"
#include "shared/SystemLocale.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextFile {
namespace {

// Whole text, or nothing when the bytes are not valid in `encoding`.
std::optional<QString> decodeStrictly(QByteArrayView bytes, QStringDecoder decoder)
{
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<Encoding> encodingByName(QStringView name)
{
    if (name.compare(u"utf-8", Qt::CaseInsensitive) == 0)
        return Encoding::Utf8;
    if (name.compare(u"gb18030", Qt::CaseInsensitive) == 0)
        return Encoding::Gb18030;
    return std::nullopt;
}

QString decode(QByteArrayView bytes)
{
    constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(ByteOrderMark))
        return QString::fromUtf8(bytes.sliced(ByteOrderMark.size()));
    if (std::optional<QString> text =
            decodeStrictly(bytes, QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)))
        return *text;
    if (std::optional<QString> text =
            decodeStrictly(bytes, QStringDecoder(SystemLocale::textEncoding().constData(),
                                                 QStringConverter::Flag::Stateless)))
        return *text;
    return AnsiText::toUnicode(bytes);
}

QByteArray encode(QStringView text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Gb18030:
        return AnsiText::fromUnicode(text);
    case Encoding::Locale:
        break;
    }
    QStringEncoder encoder(SystemLocale::textEncoding().constData());
    return encoder.encode(text);
}

bool isUtf8(Encoding encoding)
{
    if (encoding != Encoding::Locale)
        return encoding == Encoding::Utf8;
    static const bool localeIsUtf8 =
        encode(u"é中😀", Encoding::Locale) == QByteArrayView("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    return localeIsUtf8;
}

} // namespace TextFile
