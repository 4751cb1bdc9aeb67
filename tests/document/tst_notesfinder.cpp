#include "TestNotes.h"

#include "document/NotesFinder.h"

#include "document/Note.h"
#include "shared/AnsiText.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QList<Note> notesOf(const QList<QByteArray>& texts)
{
    QList<Note> notes;
    for (const QByteArray& text : texts) {
        Note note;
        note.text = text;
        notes.append(note);
    }
    return notes;
}

// What a search over the decoded text gives, written the slow and obvious way.
bool naiveContains(const QByteArray& text, const QString& needle, bool matchCase)
{
    if (needle.isEmpty())
        return false;
    QString haystack = AnsiText::toUnicode(text);
    QString pattern = needle;
    if (!matchCase) {
        for (QString* s : {&haystack, &pattern}) {
            for (QChar& c : *s) {
                if (c >= u'A' && c <= u'Z')
                    c = QChar(c.unicode() + 32);
            }
        }
    }
    return haystack.contains(pattern);
}

} // namespace

class TestNotesFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contains_data();
    void contains();
    void findNextStepsForward();
    void emptyNeedleIsNeverFound();
    void agreesWithDecodedSearch_data();
    void agreesWithDecodedSearch();
    void codecRoundTripsEveryWellFormedCharacter();
};

void TestNotesFinder::contains_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("found");

    QTest::newRow("folded: ABC") << gb(u"xxABCxx") << u"abc"_s << false << true;
    QTest::newRow("folded: aBc") << gb(u"aBc") << u"abc"_s << false << true;
    QTest::newRow("folded needle") << gb(u"abc") << u"ABC"_s << false << true;
    QTest::newRow("match case: ABC") << gb(u"ABC") << u"abc"_s << true << false;
    QTest::newRow("match case: aBc") << gb(u"aBc") << u"abc"_s << true << false;
    QTest::newRow("match case: abc") << gb(u"xabcx") << u"abc"_s << true << true;
    QTest::newRow("not there") << gb(u"abd") << u"abc"_s << false << false;
    QTest::newRow("empty text") << gb(u"") << u"a"_s << false << false;
    QTest::newRow("longer than the text") << gb(u"ab") << u"abc"_s << false << false;
    QTest::newRow("Chinese") << gb(u"这是中文笔记") << u"中文"_s << true << true;
    QTest::newRow("Chinese, folded") << gb(u"这是中文笔记") << u"中文"_s << false << true;
    QTest::newRow("Chinese not there") << gb(u"这是中文笔记") << u"英文"_s << false << false;
    QTest::newRow("mixed, folded") << gb(u"学习Qt开发") << u"qt开"_s << false << true;
    QTest::newRow("mixed, match case") << gb(u"学习Qt开发") << u"qt开"_s << true << false;
    QTest::newRow("accents are not folded") << gb(u"CAFÉ") << u"café"_s << false << false;
    QTest::newRow("accents compare unchanged") << gb(u"CAFÉ") << u"cafÉ"_s << false << true;
    QTest::newRow("Kelvin sign is no k") << gb(u"\u212A") << u"k"_s << false << false;
    QTest::newRow("in a later line") << gb(u"caption\r\nbody with needle") << u"NEEDLE"_s << false << true;
    QTest::newRow("across the line break") << gb(u"one\r\ntwo") << u"e\r\nt"_s << true << true;
    QTest::newRow("supplementary") << gb(u"a😀b") << u"😀b"_s << true << true;
    QTest::newRow("twice in one text") << gb(u"abc abc") << u"abc"_s << true << true;
    // Characters whose trail bytes are Latin letters or digits, and broken sequences.
    const QByteArray trailSmallA = bytes({0x81, 'a'});   // one Chinese character
    const QByteArray trailCapitalA = bytes({0x81, 'A'}); // another one
    QTest::newRow("trail byte is no letter") << trailSmallA << u"a"_s << true << false;
    QTest::newRow("trail byte is no letter, folded") << trailCapitalA << u"a"_s << false << false;
    QTest::newRow("trail byte, then the letter") << trailSmallA + "a" << u"a"_s << true << true;
    QTest::newRow("trail byte, then the folded letter") << trailCapitalA + "A" << u"a"_s << false << true;
    QTest::newRow("letters across a character") << "x" + trailSmallA + "bc" << u"abc"_s << false << false;
    QTest::newRow("folding keeps characters apart")
        << trailSmallA << AnsiText::toUnicode(trailCapitalA) << false << false;
    QTest::newRow("the character itself, folded")
        << trailSmallA << AnsiText::toUnicode(trailSmallA) << false << true;
    QTest::newRow("four-byte character holds no digit")
        << bytes({0x81, 0x30, 0x81, 0x30}) << u"0"_s << true << false;
    QTest::newRow("digit after a four-byte character")
        << bytes({0x81, 0x30, 0x81, 0x30}) + "0" << u"0"_s << true << true;
    // After a broken sequence the decoder starts afresh on the next byte.
    QTest::newRow("after a broken four-byte start")
        << bytes({0x81, 0x30}) + "abc" << u"abc"_s << true << true;
    QTest::newRow("after an invalid byte") << bytes({0xFF}) + "abc" << u"abc"_s << false << true;
    QTest::newRow("lead byte at the end") << "abc" + bytes({0x81}) << u"abc"_s << true << true;
    QTest::newRow("replacement character is searched as shown")
        << "x" + bytes({0xFF}) + "y" << u"x\uFFFDy"_s << true << true;
    QTest::newRow("replacement character not in a clean text")
        << QByteArray("xy") << u"\uFFFD"_s << true << false;
}

void TestNotesFinder::contains()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, found);

    QCOMPARE(naiveContains(text, needle, matchCase), found); // the test's own reading of the bytes
    NotesFinder finder(needle, matchCase);
    QCOMPARE(finder.contains(text), found);
}

void TestNotesFinder::findNextStepsForward()
{
    const QList<Note> notes = notesOf({gb(u"one"), gb(u"two"), gb(u"需要 needle"), gb(u"four"), gb(u"five"),
                                       gb(u"NEEDLE 再一次"), gb(u"x")});
    NotesFinder finder(u"needle"_s, false);
    QCOMPARE(finder.findNext(notes, 0), 2);
    QCOMPARE(finder.findNext(notes, 3), 5);
    QCOMPARE(finder.findNext(notes, 6), -1);
    QCOMPARE(finder.findNext(notes, 7), -1);
    QCOMPARE(finder.findNext(notes, 100), -1);
    QCOMPARE(finder.findNext(notes, -1), 2);

    NotesFinder exact(u"needle"_s, true);
    QCOMPARE(exact.findNext(notes, 3), -1);
    QCOMPARE(finder.findNext({}, 0), -1);
}

void TestNotesFinder::emptyNeedleIsNeverFound()
{
    for (bool matchCase : {false, true}) {
        NotesFinder finder(QString(), matchCase);
        QVERIFY(!finder.contains(QByteArray("anything")));
        QVERIFY(!finder.contains(QByteArray()));
        QCOMPARE(finder.findNext(notesOf({QByteArray(), QByteArray("a")}), 0), -1);
    }
}

void TestNotesFinder::agreesWithDecodedSearch_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");

    for (const QString& needle :
         {u"a"_s, u"Ab"_s, u"0"_s, u"中"_s, u"中a"_s, u"B中"_s, u"é"_s, u"\uFFFD"_s}) {
        QTest::addRow("%s, match case", qPrintable(needle)) << needle << true;
        QTest::addRow("%s, folded", qPrintable(needle)) << needle << false;
    }
}

// Random texts over a small alphabet, so that hits, near misses and trail-byte lookalikes are frequent,
// with broken bytes mixed in.
void TestNotesFinder::agreesWithDecodedSearch()
{
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);

    QRandomGenerator random(20240611);
    const QList<QByteArray> pieces = {
        gb(u"a"),      gb(u"A"),      gb(u"b"),           gb(u"B"),           gb(u"0"),
        gb(u"中"),     gb(u"é"),      bytes({0x81, 'a'}), bytes({0x81, 'A'}), bytes({0x81, 0x30, 0x81, 0x30}),
        bytes({0xFF}), bytes({0x81}), bytes({0x81, 0x30})};
    NotesFinder finder(needle, matchCase);
    int hits = 0;
    for (int i = 0; i < 4000; ++i) {
        QByteArray text;
        const int length = random.bounded(12);
        for (int j = 0; j < length; ++j)
            text.append(pieces.at(random.bounded(int(pieces.size()))));
        const bool expected = naiveContains(text, needle, matchCase);
        hits += expected ? 1 : 0;
        QVERIFY2(finder.contains(text) == expected, text.toHex(' ').constData());
    }
    QVERIFY(hits > 0);
}

// The byte search relies on this: every well-formed GB18030 character decodes to one code point, a text
// decodes to its characters in order, and a character that is not U+FFFD encodes back to its own bytes.
void TestNotesFinder::codecRoundTripsEveryWellFormedCharacter()
{
    QList<QByteArray> sequences;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F)
                sequences.append(bytes({lead, trail}));
        }
        for (int b = 0x30; b <= 0x39; ++b) {
            for (int c = 0x81; c <= 0xFE; ++c) {
                for (int d = 0x30; d <= 0x39; ++d)
                    sequences.append(bytes({lead, b, c, d}));
            }
        }
    }
    QByteArray all;
    QString oneByOne;
    int replaced = 0;
    for (const QByteArray& sequence : sequences) {
        all.append(sequence);
        const QString decoded = AnsiText::toUnicode(sequence);
        const bool oneCodePoint =
            decoded.size() == 1 || (decoded.size() == 2 && decoded.at(0).isHighSurrogate());
        if (!oneCodePoint)
            QFAIL(sequence.toHex().constData());
        oneByOne.append(decoded);
        if (decoded == QString(QChar::ReplacementCharacter))
            ++replaced;
        else if (AnsiText::fromUnicode(decoded) != sequence)
            QFAIL(sequence.toHex().constData());
    }
    QVERIFY(replaced < sequences.size() / 2);
    QVERIFY(AnsiText::toUnicode(all) == oneByOne);
}

QTEST_GUILESS_MAIN(TestNotesFinder)

#include "tst_notesfinder.moc"
