#include "shared/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr char CodePage[] = "GB18030";
}

namespace AnsiText {

QByteArray fromUnicode(QStringView text)
{
    QStringEncoder encoder(CodePage);
    return encoder.encode(text);
}

QString toUnicode(QByteArrayView bytes)
{
    QStringDecoder decoder(CodePage);
    return decoder.decode(bytes);
}

} // namespace AnsiText
