#include "document/NotesFinder.h"

#include "document/Note.h"
#include "shared/AnsiText.h"

#include <algorithm>
#include <cstring>

namespace {

char foldByte(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

QString foldLatinLetters(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() - u'A' + u'a');
    }
    return text;
}

// Length of the GB18030 character that starts at `at`: 1, 2 or 4 bytes; 0 when the bytes there are not a
// well-formed character, where the decoder resynchronises in a way of its own.
int charLength(QByteArrayView text, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return uchar(text[at + i]); };
    if (byte(0) < 0x80)
        return 1;
    if (byte(0) == 0x80 || byte(0) == 0xFF || at + 1 >= text.size())
        return 0;
    if (byte(1) >= 0x30 && byte(1) <= 0x39) {
        if (at + 3 >= text.size())
            return 0;
        return byte(2) >= 0x81 && byte(2) <= 0xFE && byte(3) >= 0x30 && byte(3) <= 0x39 ? 4 : 0;
    }
    return byte(1) >= 0x40 && byte(1) != 0x7F && byte(1) != 0xFF ? 2 : 0;
}

bool isWellFormed(QByteArrayView text)
{
    for (qsizetype at = 0; at < text.size();) {
        const int length = charLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

} // namespace

NotesFinder::NotesFinder(const QString& needle, bool matchCase)
    : m_matchCase(matchCase), m_needle(matchCase ? needle : foldLatinLetters(needle))
{
    if (m_needle.isEmpty())
        return;
    m_needleBytes = AnsiText::fromUnicode(m_needle);
    // Every well-formed GB18030 character decodes to one code point that encodes back to the same bytes,
    // so a needle that survives the round trip occurs in a text's characters exactly where its bytes
    // occur on a character boundary. A needle holding U+FFFD may match bytes the decoder rejected, and
    // one that does not survive the round trip has no such bytes: both search the decoded texts.
    const bool exact = !m_needle.contains(QChar::ReplacementCharacter) &&
                       AnsiText::toUnicode(m_needleBytes) == m_needle && isWellFormed(m_needleBytes);
    m_strategy = exact ? Strategy::Bytes : Strategy::Decoded;
    for (int byte = 0; byte < 256; ++byte)
        m_foldTable[size_t(byte)] = m_matchCase ? char(byte) : foldByte(char(byte));
    const qsizetype last = m_needleBytes.size() - 1;
    m_skip.fill(m_needleBytes.size());
    for (qsizetype i = 0; i < last; ++i)
        m_skip[uchar(m_foldTable[uchar(m_needleBytes[i])])] = last - i;
}

bool NotesFinder::contains(const QByteArray& text) const
{
    switch (m_strategy) {
    case Strategy::NeverFound:
        return false;
    case Strategy::Bytes:
        return containsInBytes(text);
    case Strategy::Decoded:
        return containsDecoded(text);
    }
    return false;
}

int NotesFinder::findNext(const QList<Note>& notes, int from) const
{
    for (qsizetype row = std::max(from, 0); row < notes.size(); ++row) {
        if (contains(notes.at(row).text))
            return int(row);
    }
    return -1;
}

// Folding bytes also folds trail bytes of Chinese characters; matchesAt() checks those exactly.
qsizetype NotesFinder::indexIn(QByteArrayView text, qsizetype from) const
{
    const qsizetype last = m_needleBytes.size() - 1;
    const char* needle = m_needleBytes.constData();
    for (qsizetype at = from; at + last < text.size();) {
        qsizetype i = last;
        while (m_foldTable[uchar(text[at + i])] == m_foldTable[uchar(needle[i])]) {
            if (i == 0)
                return at;
            --i;
        }
        at += m_skip[uchar(m_foldTable[uchar(text[at + last])])];
    }
    return -1;
}

bool NotesFinder::containsInBytes(const QByteArray& text) const
{
    // Character boundaries are only known by walking the text from its start; `boundary` is the last one
    // reached, and everything before it is well-formed.
    qsizetype boundary = 0;
    for (qsizetype at = indexIn(text, 0); at >= 0; at = indexIn(text, at + 1)) {
        while (boundary < at) {
            const int length = charLength(text, boundary);
            if (length == 0)
                return containsDecoded(text);
            boundary += length;
        }
        if (boundary == at && matchesAt(text, at))
            return true;
    }
    return false;
}

bool NotesFinder::containsDecoded(const QByteArray& text) const
{
    const QString decoded = AnsiText::toUnicode(text);
    return (m_matchCase ? decoded : foldLatinLetters(decoded)).contains(m_needle);
}

// From a character boundary the text and the needle split into characters alike, as folding keeps every
// byte in its class. Single-byte characters compare folded; multi-byte ones must be the same bytes.
bool NotesFinder::matchesAt(const QByteArray& text, qsizetype at) const
{
    const char* hay = text.constData() + at;
    for (qsizetype i = 0; i < m_needleBytes.size();) {
        const int length = charLength(m_needleBytes, i);
        if (length == 1) {
            const char c = m_matchCase ? hay[i] : foldByte(hay[i]);
            if (c != m_needleBytes[i])
                return false;
        } else if (std::memcmp(hay + i, m_needleBytes.constData() + i, size_t(length)) != 0) {
            return false;
        }
        i += length;
    }
    return true;
}
