#include "TestNotes.h"

#include "document/TextReport.h"

#include "shared/AnsiText.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// GBK bytes written out, so the expected reports do not come from the converter under test.
const QByteArray Title = QByteArray::fromHex("bcc7cac2b1bec1d0b1ed");                // 记事本列表
const QByteArray TimeLabel = QByteArray::fromHex("c9fab3c9cab1bce43a20");            // 生成时间:
const QByteArray DoneHigh = QByteArray::fromHex("5b20d7b4ccac3a20cdeab3c92020"       // [ 状态: 完成
                                                "d3c5cfc8bcb63a20b8df205d");         // 优先级: 高 ]
const QByteArray NotDoneLow = QByteArray::fromHex("5b20d7b4ccac3a20ceb4cdeab3c92020" // [ 状态: 未完成
                                                  "d3c5cfc8bcb63a20b5cd205d");       // 优先级: 低 ]
const QByteArray High = QByteArray::fromHex("b8df");
const QByteArray Low = QByteArray::fromHex("b5cd");
const QByteArray Hyphens(80, '-');
const QByteArray Equals(80, '=');

ReportStamp stamp(int total, int done)
{
    ReportStamp s;
    s.totalText = gb(u"总计: ") + QByteArray::number(total);
    s.doneText = gb(u"完成: ") + QByteArray::number(done);
    s.notDoneText = gb(u"未完成: ") + QByteArray::number(total - done);
    s.date = "2024/3/7";
    s.time = "9:05:01";
    return s;
}

QList<QByteArray> preamble(int total, int done)
{
    const ReportStamp s = stamp(total, done);
    return {Title, TimeLabel + "2024/3/7 9:05:01 - Quillet v1.54",
            s.totalText + ' ' + s.doneText + ' ' + s.notDoneText, Hyphens};
}

QList<QByteArray> report(const QList<Note>& notes, int done)
{
    QList<QByteArray> list;
    ExportNotesToText(notes, stamp(int(notes.size()), done), list);
    return list;
}

// Takes every write but the second.
class SecondWriteFails : public QIODevice
{
public:
    SecondWriteFails() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override { return ++m_writes == 2 ? -1 : size; }

private:
    int m_writes = 0;
};

} // namespace

class TestTextReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void emptyList();
    void oneNote();
    void severalNotes();
    void statusLines_data();
    void statusLines();
    void entriesAreAppended();
    void fileBytesEndEveryEntryWithCrLf();
    void writtenInPieces();

private:
    QTemporaryDir m_dir;
};

void TestTextReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", m_dir.path().toLocal8Bit());
}

void TestTextReport::emptyList()
{
    const QList<QByteArray> list = report({}, 0);
    QCOMPARE(list, preamble(0, 0));
    QCOMPARE(reportFileBytes(list),
             Title + "\r\n" + TimeLabel + "2024/3/7 9:05:01 - Quillet v1.54\r\n" +
                 QByteArray::fromHex("d7dcbcc63a2030") + ' ' + QByteArray::fromHex("cdeab3c93a2030") + ' ' +
                 QByteArray::fromHex("ceb4cdeab3c93a2030") + "\r\n" + Hyphens + "\r\n");
}

void TestTextReport::oneNote()
{
    const QList<QByteArray> list = report({Note{"only note", High, Note::ImageDone}}, 1);
    const QList<QByteArray> expected =
        preamble(1, 1) + QList<QByteArray>{"\r\n", DoneHigh, Equals, "only note", Equals};
    QCOMPARE(list, expected);
    // "总计: 1 完成: 1 未完成: 0"
    QCOMPARE(list.at(2).toHex(), QByteArray("d7dcbcc63a203120cdeab3c93a203120ceb4cdeab3c93a2030"));
    // Two empty lines after the hyphens, and the report ends with the closing rule.
    const QByteArray bytes = reportFileBytes(list);
    QVERIFY(bytes.contains(Hyphens + "\r\n\r\n\r\n" + DoneHigh + "\r\n"));
    QVERIFY(bytes.endsWith("\r\n" + Equals + "\r\n"));
}

void TestTextReport::severalNotes()
{
    const QByteArray odd = gb(u"紧急"); // not a priority name: written as it stands
    const QList<Note> notes = {
        Note{gb(u"第一行\r\n第二行"), Low, Note::ImageNotDone},
        Note{"", High, Note::ImageDone},
        Note{"ends with a break\r\n", odd, 7},
    };
    const QList<QByteArray> list = report(notes, 1);
    const QList<QByteArray> expected =
        preamble(3, 1) + QList<QByteArray>{
                             "\r\n",
                             NotDoneLow,
                             Equals,
                             gb(u"第一行\r\n第二行"),
                             Equals,
                             QByteArray(),
                             DoneHigh,
                             Equals,
                             QByteArray(),
                             Equals,
                             QByteArray(),
                             QByteArray::fromHex("5b20d7b4ccac3a20ceb4cdeab3c92020"
                                                 "d3c5cfc8bcb63a20") +
                                 odd + " ]",
                             Equals,
                             "ends with a break\r\n",
                             Equals,
                         };
    QCOMPARE(list, expected);

    const QByteArray bytes = reportFileBytes(list);
    // An empty text is one empty line between the rules; a trailing break adds one more empty line.
    QVERIFY(bytes.contains(DoneHigh + "\r\n" + Equals + "\r\n\r\n" + Equals + "\r\n\r\n"));
    QVERIFY(bytes.endsWith("ends with a break\r\n\r\n" + Equals + "\r\n"));
    QVERIFY(!bytes.endsWith(Equals + "\r\n\r\n"));
}

void TestTextReport::statusLines_data()
{
    QTest::addColumn<int>("imageIndex");
    QTest::addColumn<QByteArray>("priority");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("done, high") << int(Note::ImageDone) << High << DoneHigh;
    QTest::newRow("not done, low") << int(Note::ImageNotDone) << Low << NotDoneLow;
    // Only image 12 is done.
    QTest::newRow("image 0") << 0 << Low << NotDoneLow;
    QTest::newRow("image 11") << 11 << Low << NotDoneLow;
    QTest::newRow("empty priority") << int(Note::ImageDone) << QByteArray()
                                    << QByteArray::fromHex(
                                           "5b20d7b4ccac3a20cdeab3c92020d3c5cfc8bcb63a20205d");
}

void TestTextReport::statusLines()
{
    QFETCH(int, imageIndex);
    QFETCH(QByteArray, priority);
    QFETCH(QByteArray, line);
    const QList<QByteArray> list = report({Note{"t", priority, imageIndex}}, 0);
    QCOMPARE(list.size(), 9);
    QCOMPARE(list.at(5).toHex(), line.toHex());
}

void TestTextReport::entriesAreAppended()
{
    QList<QByteArray> list = {"kept"};
    ExportNotesToText({}, stamp(0, 0), list);
    QCOMPARE(list, QList<QByteArray>{"kept"} + preamble(0, 0));
}

void TestTextReport::fileBytesEndEveryEntryWithCrLf()
{
    QCOMPARE(reportFileBytes({}), QByteArray());
    QCOMPARE(reportFileBytes({QByteArray()}), QByteArray("\r\n"));
    QCOMPARE(reportFileBytes({"a", "\r\n", "", "b\r\nc"}), QByteArray("a\r\n\r\n\r\n\r\nb\r\nc\r\n"));
}

// A long report goes out a piece at a time, as the same bytes; a piece that does not reach the device fails
// the whole, even when later ones do.
void TestTextReport::writtenInPieces()
{
    // Five notes of 200 KiB: three pieces.
    const QList<Note> notes(5, Note{QByteArray(200 * 1024, 'x'), High, Note::ImageDone});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeReport(buffer, notes, stamp(5, 5), TextFile::Encoding::Gb18030));
    QCOMPARE(buffer.data(), reportFileBytes(report(notes, 5)));

    SecondWriteFails device;
    QVERIFY(!writeReport(device, notes, stamp(5, 5), TextFile::Encoding::Utf8));
}

QTEST_GUILESS_MAIN(TestTextReport)
#include "tst_textreport.moc"
