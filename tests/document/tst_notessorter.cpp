#include "TestNotes.h"

#include "document/NotesSorter.h"

#include "document/NotesModel.h"
#include "shared/AnsiText.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QItemSelectionModel>
#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

using NotesSorter::SortBy;
using namespace Qt::StringLiterals;

namespace {

QList<Note> notesOf(const QStringList& texts)
{
    QList<Note> notes;
    for (const QString& text : texts)
        notes.append(makeNote(text));
    return notes;
}

QStringList textsInOrder(const QList<Note>& notes, const QList<int>& rows)
{
    QStringList texts;
    for (int row : rows)
        texts.append(AnsiText::toUnicode(notes.at(row).text));
    return texts;
}

QStringList modelTexts(const NotesModel& model)
{
    QStringList texts;
    for (const Note& note : model.notes())
        texts.append(AnsiText::toUnicode(note.text));
    return texts;
}

} // namespace

class TestNotesSorter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void getValue_data();
    void getValue();

    void byText_data();
    void byText();
    void byTextAgreesWithTheCollatorOnManyNotes();
    void collationFollowsTheEnvironment_data();
    void collationFollowsTheEnvironment();

    void byPriority_data();
    void byPriority();

    void emptyAndSingleLists_data();
    void emptyAndSingleLists();

    void sortReordersTheModelOnce();
    void selectionFollowsItsNote();
};

void TestNotesSorter::initTestCase()
{
    // main() chose the user locale; the expected orders below are those of its collation.
    QCOMPARE(QLocale::system().name(), u"zh_CN"_s);
}

void TestNotesSorter::getValue_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("rank");

    QTest::newRow("低") << gb(u"低") << 1;
    QTest::newRow("标准") << gb(u"标准") << 2;
    QTest::newRow("高") << gb(u"高") << 3;
    QTest::newRow("最高") << gb(u"最高") << 4;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("other name") << gb(u"紧急") << 0;
    QTest::newRow("trailing blank") << gb(u"标准 ") << 0;
    QTest::newRow("same name in UTF-8") << u"最高"_s.toUtf8() << 0;
    QTest::newRow("English") << QByteArray("High") << 0;
}

void TestNotesSorter::getValue()
{
    QFETCH(QByteArray, name);
    QFETCH(int, rank);
    QCOMPARE(NotesSorter::GetValue(name), rank);
}

void TestNotesSorter::byText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("cLocale"); // else the system's

    // Code point order would put "Banana" first.
    QTest::newRow("Latin ascending") << QStringList{u"cherry"_s, u"Banana"_s, u"apple"_s} << true
                                     << QStringList{u"apple"_s, u"Banana"_s, u"cherry"_s} << false;
    QTest::newRow("Latin descending") << QStringList{u"apple"_s, u"cherry"_s, u"Banana"_s} << false
                                      << QStringList{u"cherry"_s, u"Banana"_s, u"apple"_s} << false;
    // Pinyin: an, bei, shang; code points would give 上 U+4E0A, 北 U+5317, 安 U+5B89.
    QTest::newRow("Chinese ascending") << QStringList{u"北京"_s, u"上海"_s, u"安徽"_s} << true
                                       << QStringList{u"安徽"_s, u"北京"_s, u"上海"_s} << false;
    QTest::newRow("Chinese descending") << QStringList{u"北京"_s, u"安徽"_s, u"上海"_s} << false
                                        << QStringList{u"上海"_s, u"北京"_s, u"安徽"_s} << false;
    // Case is not folded: the two spellings are not equal, so their input order does not survive.
    QTest::newRow("case ascending") << QStringList{u"ABC"_s, u"abc"_s} << true
                                    << QStringList{u"abc"_s, u"ABC"_s} << false;
    QTest::newRow("case descending") << QStringList{u"abc"_s, u"ABC"_s} << false
                                     << QStringList{u"ABC"_s, u"abc"_s} << false;
    QTest::newRow("empty caption first") << QStringList{u"b"_s, u""_s, u"\r\nonly a body"_s, u"a"_s} << true
                                         << QStringList{u""_s, u"\r\nonly a body"_s, u"a"_s, u"b"_s} << false;
    QTest::newRow("equal captions keep their order, descending too")
        << QStringList{u"x 1"_s, u"same\r\nfirst"_s, u"x 2"_s, u"same\r\nsecond"_s} << false
        << QStringList{u"x 2"_s, u"x 1"_s, u"same\r\nfirst"_s, u"same\r\nsecond"_s} << false;
    const QStringList bodies{u"b\r\nzzz"_s, u"b\r\naaa"_s, u"a\r\nzzz"_s, u"b"_s};
    QTest::newRow("only the first line, ascending")
        << bodies << true << QStringList{bodies[2], bodies[0], bodies[1], bodies[3]} << false;
    QTest::newRow("only the first line, descending")
        << bodies << false << QStringList{bodies[0], bodies[1], bodies[3], bodies[2]} << false;
    // The C locale orders by code units.
    QTest::newRow("C locale, code units, ascending")
        << QStringList{u"cherry"_s, u"apple"_s, u"Banana"_s} << true
        << QStringList{u"Banana"_s, u"apple"_s, u"cherry"_s} << true;
    QTest::newRow("C locale, Chinese by code point") << QStringList{u"安徽"_s, u"北京"_s, u"上海"_s} << true
                                                     << QStringList{u"上海"_s, u"北京"_s, u"安徽"_s} << true;
    QTest::newRow("C locale, descending, equal captions keep their order")
        << QStringList{u"b\r\n1"_s, u"a"_s, u"b\r\n2"_s, u"c"_s} << false
        << QStringList{u"c"_s, u"b\r\n1"_s, u"b\r\n2"_s, u"a"_s} << true;
}

void TestNotesSorter::byText()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, ascending);
    QFETCH(QStringList, expected);
    QFETCH(bool, cLocale);

    const QList<Note> notes = notesOf(texts);
    const QList<int> rows = cLocale ? NotesSorter::sortedRows(notes, SortBy::Text, ascending, QLocale::c())
                                    : NotesSorter::sortedRows(notes, SortBy::Text, ascending);
    QCOMPARE(textsInOrder(notes, rows), expected);
}

void TestNotesSorter::collationFollowsTheEnvironment_data()
{
    QTest::addColumn<QByteArrayList>("lcAllCollateLang");
    QTest::addColumn<bool>("pinyin"); // else code points
    QTest::newRow("LC_ALL first") << QByteArrayList{"zh_CN.GB18030", "C", "C"} << true;
    QTest::newRow("then LC_COLLATE") << QByteArrayList{"", "C.UTF-8", "zh_CN.UTF-8"} << false;
    QTest::newRow("then LANG") << QByteArrayList{"", "", "zh_CN.UTF-8@pinyin"} << true;
    QTest::newRow("none: C") << QByteArrayList{"", "", ""} << false;
}

void TestNotesSorter::collationFollowsTheEnvironment()
{
    QFETCH(QByteArrayList, lcAllCollateLang);
    QFETCH(bool, pinyin);
#ifdef Q_OS_WIN
    QSKIP("Windows collates in the user's locale, which these variables do not set");
#endif
    const char* const variables[] = {"LC_ALL", "LC_COLLATE", "LANG"};
    QByteArrayList before;
    for (int i = 0; i < 3; ++i) {
        before.append(qgetenv(variables[i]));
        qputenv(variables[i], lcAllCollateLang[i]);
    }
    const QList<Note> notes = notesOf({u"安徽"_s, u"北京"_s, u"上海"_s});
    const QList<int> rows = NotesSorter::sortedRows(notes, SortBy::Text, true);
    for (int i = 0; i < 3; ++i)
        qputenv(variables[i], before[i]);
    QCOMPARE(rows, pinyin ? QList<int>({0, 1, 2}) : QList<int>({2, 1, 0}));
}

// Each caption's key is computed once, and a list this long is keyed and sorted in shares on several
// threads; the resulting order must still be the collator's own, for mixed scripts, broken bytes and
// captions that differ only in case.
void TestNotesSorter::byTextAgreesWithTheCollatorOnManyNotes()
{
    QRandomGenerator random(4711);
    const QString alphabet = u"aAbBzZ09 -_北京上海安徽中文éÉ"_s;
    QList<Note> notes;
    for (int i = 0; i < 10000; ++i) {
        QString text;
        const int length = random.bounded(6);
        for (int j = 0; j < length; ++j)
            text.append(alphabet.at(random.bounded(int(alphabet.size()))));
        Note note = makeNote(text + u"\r\nbody "_s + QString::number(i));
        if (i % 97 == 0)
            note.text.prepend("\xFF\x81"); // bytes no character is made of
        notes.append(note);
    }

    const auto caption = [&](int row) {
        const QByteArray& text = notes.at(row).text;
        return AnsiText::toUnicode(text.left(text.indexOf('\r')));
    };
    for (const QLocale& locale : {QLocale::system(), QLocale::c()}) {
        QCollator collator(locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        for (bool ascending : {true, false}) {
            const QList<int> rows = NotesSorter::sortedRows(notes, SortBy::Text, ascending, locale);
            QCOMPARE(rows.size(), notes.size());
            QList<int> sortedCopy = rows;
            std::sort(sortedCopy.begin(), sortedCopy.end());
            QVERIFY(std::adjacent_find(sortedCopy.begin(), sortedCopy.end()) == sortedCopy.end());
            for (qsizetype i = 1; i < rows.size(); ++i) {
                const int order = collator.compare(caption(rows.at(i - 1)), caption(rows.at(i)));
                QVERIFY2(ascending ? order <= 0 : order >= 0,
                         qPrintable(caption(rows.at(i - 1)) + u" | "_s + caption(rows.at(i))));
                if (order == 0)
                    QVERIFY2(rows.at(i - 1) < rows.at(i), "equal captions keep their order");
            }
        }
    }
}

void TestNotesSorter::byPriority_data()
{
    QTest::addColumn<QStringList>("priorities");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QList<int>>("expected");

    const QStringList mixed{u"低"_s, u"紧急"_s, u"最高"_s, u"标准"_s, u"高"_s};
    QTest::newRow("ascending puts the highest first, unknown last")
        << mixed << true << QList<int>{2, 4, 3, 0, 1};
    QTest::newRow("descending puts unknown first, the highest last")
        << mixed << false << QList<int>{1, 0, 3, 4, 2};
    const QStringList ties{u"高"_s, u"低"_s, u"高"_s, u""_s, u"低"_s, u"x"_s};
    QTest::newRow("ties keep their order, ascending") << ties << true << QList<int>{0, 2, 1, 4, 3, 5};
    QTest::newRow("ties keep their order, descending") << ties << false << QList<int>{3, 5, 1, 4, 0, 2};
}

void TestNotesSorter::byPriority()
{
    QFETCH(QStringList, priorities);
    QFETCH(bool, ascending);
    QFETCH(QList<int>, expected);

    QList<Note> notes;
    for (const QString& priority : priorities)
        notes.append(makeNote(u"note"_s, priority));
    QCOMPARE(NotesSorter::sortedRows(notes, SortBy::Priority, ascending), expected);
}

void TestNotesSorter::emptyAndSingleLists_data()
{
    QTest::addColumn<int>("by");
    QTest::addColumn<bool>("ascending");
    QTest::newRow("text ascending") << int(SortBy::Text) << true;
    QTest::newRow("text descending") << int(SortBy::Text) << false;
    QTest::newRow("priority ascending") << int(SortBy::Priority) << true;
    QTest::newRow("priority descending") << int(SortBy::Priority) << false;
}

void TestNotesSorter::emptyAndSingleLists()
{
    QFETCH(int, by);
    QFETCH(bool, ascending);

    QVERIFY(NotesSorter::sortedRows({}, SortBy(by), ascending).isEmpty());
    QCOMPARE(NotesSorter::sortedRows(notesOf({u"only"_s}), SortBy(by), ascending), QList<int>{0});

    NotesModel model;
    NotesSorter::sort(model, SortBy(by), ascending);
    QCOMPARE(model.rowCount(), 0);
    model.appendNotes(notesOf({u"only"_s}));
    NotesSorter::sort(model, SortBy(by), ascending);
    QCOMPARE(modelTexts(model), QStringList{u"only"_s});
}

void TestNotesSorter::sortReordersTheModelOnce()
{
    NotesModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.appendNotes({makeNote(u"b", u"低"), makeNote(u"c", u"最高"), makeNote(u"a", u"高")});

    NotesSorter::sort(model, SortBy::Text, true);
    QCOMPARE(modelTexts(model), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    NotesSorter::sort(model, SortBy::Priority, true);
    QCOMPARE(modelTexts(model), (QStringList{u"c"_s, u"a"_s, u"b"_s}));
    NotesSorter::sort(model, SortBy::Text, false);
    QCOMPARE(modelTexts(model), (QStringList{u"c"_s, u"b"_s, u"a"_s}));

    // The list is not kept sorted: a later insert stays where it was put.
    model.insertNote(0, makeNote(u"z"));
    QCOMPARE(modelTexts(model), (QStringList{u"z"_s, u"c"_s, u"b"_s, u"a"_s}));
}

void TestNotesSorter::selectionFollowsItsNote()
{
    NotesModel model;
    model.appendNotes(notesOf({u"c"_s, u"a"_s, u"b"_s}));
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(0, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    NotesSorter::sort(model, SortBy::Text, true);

    QCOMPARE(selection.currentIndex().row(), 2);
    QCOMPARE(selection.selectedRows().size(), 1);
    QCOMPARE(selection.selectedRows().constFirst().data(NotesModel::TextRole).toByteArray(), gb(u"c"));
}

int main(int argc, char** argv)
{
    // The user locale decides the collation; fix it before Qt first reads it.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    QCoreApplication app(argc, argv);
    TestNotesSorter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notessorter.moc"
