#include "shared/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

constexpr char CodePage[] = "GB18030";

// Setting up a converter costs more than converting a caption, and a list converts one per note: each
// thread keeps one of each and starts it afresh for every text.
QStringEncoder& encoder()
{
    thread_local QStringEncoder encoder(CodePage);
    encoder.resetState();
    return encoder;
}

QStringDecoder& decoder()
{
    thread_local QStringDecoder decoder(CodePage);
    decoder.resetState();
    return decoder;
}

} // namespace

namespace AnsiText {

QByteArray fromUnicode(QStringView text)
{
    return encoder().encode(text);
}

QString toUnicode(QByteArrayView bytes)
{
    // The code page's single bytes are ASCII: such text needs no converter, whose set-up would cost more
    // than the conversion for the many short strings of a list or a settings file.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder& decoder = ::decoder();
    QString text = decoder.decode(bytes);
    // The decoder keeps an unfinished multi-byte sequence at the end to itself; one more ASCII byte
    // makes it give that sequence up as a replacement character instead of dropping it.
    const QString tail = decoder.decode(QByteArrayView("\n", 1));
    text += QStringView(tail).chopped(1);
    return text;
}

} // namespace AnsiText
