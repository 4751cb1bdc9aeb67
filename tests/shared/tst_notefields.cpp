#include "TestNotes.h"

#include "shared/NoteFields.h"

#include "shared/AnsiText.h"

#include <QTemporaryDir>
#include <QTest>

class TestNoteFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void extractCaption_data();
    void extractCaption();
    void priorityByText_data();
    void priorityByText();
    void priorityByIndex_data();
    void priorityByIndex();
    void namesAreGbkBytes();

private:
    QTemporaryDir m_dir;
};

void TestNoteFields::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", m_dir.path().toLocal8Bit());
}

void TestNoteFields::extractCaption_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("caption");
    QTest::newRow("one line") << QByteArray("just a line") << QByteArray("just a line");
    QTest::newRow("cr lf") << QByteArray("first\r\nsecond") << QByteArray("first");
    QTest::newRow("several lines") << QByteArray("a\r\nb\r\nc") << QByteArray("a");
    QTest::newRow("leading cr lf") << QByteArray("\r\nbody") << QByteArray();
    QTest::newRow("lf only") << QByteArray("one\ntwo") << QByteArray("one\ntwo");
    QTest::newRow("lone cr") << QByteArray("one\rtwo") << QByteArray("one");
    QTest::newRow("trailing cr lf") << QByteArray("only\r\n") << QByteArray("only");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("nothing trimmed") << QByteArray("  padded  \r\nx") << QByteArray("  padded  ");
    QTest::newRow("gbk") << gb(u"购物清单\r\n牛奶") << gb(u"购物清单");
    QTest::newRow("zero byte") << QByteArray("a\0b\rc", 5) << QByteArray("a\0b", 3);
    QTest::newRow("long") << QByteArray(5000, 'x') + "\r\n" << QByteArray(5000, 'x');
}

void TestNoteFields::extractCaption()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, caption);
    QCOMPARE(SharedSrc::ExtractCaption(text).toByteArray(), caption);
}

void TestNoteFields::priorityByText_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("index");
    // Names as GBK bytes, written out so that the table does not depend on the converter.
    QTest::newRow("low") << QByteArray::fromHex("b5cd") << 0;
    QTest::newRow("standard") << QByteArray::fromHex("b1ead7bc") << 1;
    QTest::newRow("high") << QByteArray::fromHex("b8df") << 2;
    QTest::newRow("highest") << QByteArray::fromHex("d7eeb8df") << 3;
    QTest::newRow("high with trailing blank") << QByteArray::fromHex("b8df20") << 1;
    QTest::newRow("high with leading blank") << QByteArray::fromHex("20b8df") << 1;
    QTest::newRow("low in utf-8") << QByteArray("\xe4\xbd\x8e") << 1;
    QTest::newRow("english") << QByteArray("High") << 1;
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("digit") << QByteArray("2") << 1;
    QTest::newRow("half a name") << QByteArray::fromHex("d7ee") << 1;
}

void TestNoteFields::priorityByText()
{
    QFETCH(QByteArray, name);
    QFETCH(int, index);
    QCOMPARE(int(SharedSrc::GetPriorityByText(name)), index);
}

void TestNoteFields::priorityByIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("0") << 0 << QByteArray::fromHex("b5cd");
    QTest::newRow("1") << 1 << QByteArray::fromHex("b1ead7bc");
    QTest::newRow("2") << 2 << QByteArray::fromHex("b8df");
    QTest::newRow("3") << 3 << QByteArray::fromHex("d7eeb8df");
    // Out of range (a damaged or foreign file): shown as the standard priority.
    QTest::newRow("4") << 4 << QByteArray::fromHex("b1ead7bc");
    QTest::newRow("256") << 256 << QByteArray::fromHex("b1ead7bc");
    QTest::newRow("65535") << 65535 << QByteArray::fromHex("b1ead7bc");
}

void TestNoteFields::priorityByIndex()
{
    QFETCH(int, index);
    QFETCH(QByteArray, name);
    const QByteArray got = SharedSrc::GetPriorityByIndex(quint16(index));
    QCOMPARE(got.toHex(), name.toHex());
    // Every name given back is one that maps to a number again.
    QCOMPARE(int(SharedSrc::GetPriorityByText(got)), index < 4 ? index : 1);
}

void TestNoteFields::namesAreGbkBytes()
{
    QCOMPARE(SharedSrc::GetPriorityByIndex(0), gb(u"低"));
    QCOMPARE(SharedSrc::GetPriorityByIndex(1), gb(u"标准"));
    QCOMPARE(SharedSrc::GetPriorityByIndex(2), gb(u"高"));
    QCOMPARE(SharedSrc::GetPriorityByIndex(3), gb(u"最高"));
}

QTEST_GUILESS_MAIN(TestNoteFields)
#include "tst_notefields.moc"
