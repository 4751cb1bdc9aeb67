#pragma once

#include <QByteArray>
#include <QByteArrayMatcher>
#include <QList>
#include <QString>

struct Note;

// Finds a piece of text in the notes' full texts. The search is over characters, as the user sees them:
// a match must start and end on character boundaries of the GB18030 text, so that a Latin letter never
// matches the trail byte of a Chinese character. Without MatchCase only A-Z fold to a-z.
class NotesFinder
{
public:
    NotesFinder(const QString& needle, bool matchCase);

    // True when `text` (GB18030) holds the needle. An empty needle is never found.
    bool contains(const QByteArray& text);
    // The first row from `from` on whose text holds the needle; -1 when none does.
    int findNext(const QList<Note>& notes, int from);

private:
    enum class Strategy
    {
        NeverFound,
        Bytes,   // search the encoded needle in the bytes, then check the characters around each hit
        Decoded, // decode every text and search the characters
    };

    bool containsInBytes(const QByteArray& text);
    bool containsDecoded(const QByteArray& text) const;
    bool matchesAt(const QByteArray& text, qsizetype at) const;

    bool m_matchCase;
    Strategy m_strategy = Strategy::NeverFound;
    QString m_needle;            // folded when MatchCase is off
    QByteArray m_needleBytes;    // the needle encoded, not folded
    QByteArrayMatcher m_matcher; // over the encoded needle, with its bytes folded when MatchCase is off
    QByteArray m_folded;         // reused for the folded text, so that no note costs an allocation
};
