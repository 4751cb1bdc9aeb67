#include "shared/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

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

// What the converter makes of `bytes`.
QString converted(QByteArrayView bytes)
{
    QStringDecoder& decoder = ::decoder();
    QString text = decoder.decode(bytes);
    // The decoder keeps an unfinished multi-byte sequence at the end to itself; one more ASCII byte
    // makes it give that sequence up as a replacement character instead of dropping it.
    const QString tail = decoder.decode(QByteArrayView("\n", 1));
    text += QStringView(tail).chopped(1);
    return text;
}

// Every two-byte character in UTF-16 and in UTF-8, indexed by lead byte * 256 + trail byte; 0 where the
// pair is no character by itself (a lead byte that is none, a trail of 0x7F, a pair the converter does
// not take as one character). The UTF-8 has up to three bytes, with their count in the top byte.
class TwoByteTable
{
public:
    TwoByteTable() : m_utf16(size_t(256) * 256, 0), m_utf8(size_t(256) * 256, 0)
    {
        // Decoded in one call, each pair followed by a CR, which no character takes as its part.
        QByteArray pairs;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                pairs.append(char(lead)).append(char(trail)).append('\r');
        }
        const QString decoded = converted(pairs);
        qsizetype start = 0;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const qsizetype end = decoded.indexOf(u'\r', start);
                if (end < 0)
                    return;
                const QStringView character = QStringView(decoded).sliced(start, end - start);
                start = end + 1;
                if (character.size() == 1 && character.front() != QChar::ReplacementCharacter) {
                    m_utf16[size_t(lead * 256 + trail)] = character.front().unicode();
                    m_utf8[size_t(lead * 256 + trail)] = utf8Of(character.front().unicode());
                }
            }
        }
    }

    // The character of the pair, or 0.
    char16_t utf16(quint8 lead, quint8 trail) const { return m_utf16[size_t(lead * 256 + trail)]; }
    quint32 utf8(quint8 lead, quint8 trail) const { return m_utf8[size_t(lead * 256 + trail)]; }

private:
    static quint32 utf8Of(quint32 c)
    {
        if (c < 0x80)
            return c | 1u << 24;
        if (c < 0x800)
            return (0xC0 | c >> 6) | (0x80 | (c & 0x3F)) << 8 | 2u << 24;
        return (0xE0 | c >> 12) | (0x80 | (c >> 6 & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16 | 3u << 24;
    }

    std::vector<char16_t> m_utf16;
    std::vector<quint32> m_utf8;
};

// Made on the first character beyond ASCII.
const TwoByteTable& twoByteTable()
{
    static const TwoByteTable table;
    return table;
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
    // The two-byte characters of nearly every note come from the table; the rest from the converter.
    const TwoByteTable& table = twoByteTable();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* const first = reinterpret_cast<char16_t*>(text.data());
    char16_t* to = first;
    const quint8* from = reinterpret_cast<const quint8*>(bytes.data());
    const quint8* const end = from + bytes.size();
    while (from < end) {
        if (*from < 0x80) {
            *to++ = *from++;
            continue;
        }
        const char16_t c = end - from >= 2 ? table.utf16(from[0], from[1]) : 0;
        if (c == 0)
            return converted(bytes);
        *to++ = c;
        from += 2;
    }
    text.truncate(to - first);
    return text;
}

} // namespace AnsiText

qsizetype AnsiText::writeUtf8(QByteArrayView bytes, char* to)
{
    char* const first = to;
    const char* from = bytes.data();
    const char* const end = from + bytes.size();
    while (from < end) {
        if (quint8(*from) < 0x80) {
            // ASCII, eight bytes at a time where it comes in runs.
            quint64 eight;
            while (end - from >= 8 && (std::memcpy(&eight, from, 8), (eight & 0x8080808080808080u) == 0)) {
                std::memcpy(to, from, 8);
                from += 8;
                to += 8;
            }
            while (from < end && quint8(*from) < 0x80)
                *to++ = *from++;
            continue;
        }
        const TwoByteTable& table = twoByteTable();
        do {
            const quint32 utf8 = end - from >= 2 ? table.utf8(quint8(from[0]), quint8(from[1])) : 0;
            if (utf8 == 0) {
                // Four-byte characters and invalid bytes, rare in notes: the decoder itself.
                const QByteArray decoded = converted(bytes).toUtf8();
                std::memcpy(first, decoded.constData(), size_t(decoded.size()));
                return decoded.size();
            }
            const quint32 inOrder = qToLittleEndian(utf8); // the fourth byte lands in the spare room
            std::memcpy(to, &inOrder, 4);
            to += utf8 >> 24;
            from += 2;
        } while (from < end && quint8(*from) >= 0x80);
    }
    return to - first;
}

void AnsiText::appendUtf8(QByteArray& out, QByteArrayView bytes)
{
    const qsizetype start = out.size();
    out.resize(start + maxUtf8Size(bytes.size()));
    out.resize(start + writeUtf8(bytes, out.data() + start));
}
