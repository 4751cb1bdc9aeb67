#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

struct Note;

// Finds a piece of text in the notes' full texts. The search is over characters, as the user sees them:
// a match must start and end on character boundaries of the GB18030 text, so that a Latin letter never
// matches the trail byte of a Chinese character. Without MatchCase only A-Z fold to a-z.
class NotesFinder
{
public:
    NotesFinder(const QString& needle, bool matchCase);

    // True when `text` (GB18030) holds the needle. An empty needle is never found.
    bool contains(const QByteArray& text) const;
    // The first row from `from` on whose text holds the needle; -1 when none does.
    int findNext(const QList<Note>& notes, int from) const;

private:
    enum class Strategy
    {
        NeverFound,
        Bytes,   // search the encoded needle in the bytes, then check the characters around each hit
        Decoded, // decode every text and search the characters
    };

    bool containsInBytes(const QByteArray& text) const;
    qsizetype indexIn(QByteArrayView text, qsizetype from) const;
    bool containsDecoded(const QByteArray& text) const;
    bool matchesAt(const QByteArray& text, qsizetype at) const;

    bool m_matchCase;
    Strategy m_strategy = Strategy::NeverFound;
    QString m_needle;         // folded when MatchCase is off
    QByteArray m_needleBytes; // the needle encoded, not folded
    // A Horspool search over the encoded needle that folds the text's bytes as it reads them: a note is
    // searched where it lies, without a folded copy.
    std::array<char, 256> m_foldTable{};
    std::array<qsizetype, 256> m_skip{};
};
