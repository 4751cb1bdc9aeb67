#include "TestFiles.h"
#include "WindowHarness.h"

#include "document/NotesModel.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "forms/NoteTextBlocks.h"
#include "shared/AnsiText.h"
#include "shared/Cipher.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

const QString Damaged = u"打开文件时发生错误。文件可能已损坏。"_s;

// One record of the stream as it is before enciphering.
QByteArray record(quint32 claimedLength, const QByteArray& text = {})
{
    char head[8] = {};
    qToLittleEndian(claimedLength, head);
    head[4] = 1; // "标准"
    return QByteArray(head, 8) + text;
}

// A file without password around a stream of records, enciphered as the program does.
QByteArray fileWithStream(const QByteArray& plainStream)
{
    return notesFile({}) + SharedSrc::XORCrypt(plainStream, SharedSrc::DefaultKey);
}

} // namespace

// Files and settings made to hurt: each loads correctly or is refused with the program's message, without
// taking the window down or holding it up, and nothing the user has is lost.
class TestHostileInput : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void hugeNoteWithoutLineBreak();
    void millionEmptyNotes();
    void damagedFilesRefused_data();
    void damagedFilesRefused();
    void invalidGb18030KeptByteForByte();
    void hugeSettingsFile();

private:
    QPlainTextEdit* notePane() const { return w.form().findChild<QPlainTextEdit*>(u"NoteText"_s); }
    QString caption(int row) const { return w.model().index(row, 0).data().toString(); }
    // Saves the document under another name and gives that file's bytes.
    QByteArray savedAgain();
};

QByteArray TestHostileInput::savedAgain()
{
    const QString copy = w.path(u"saved again.qlt"_s);
    FileDialog::setNextResults({{true, copy, 1}});
    MessageBox::setNextAnswers({QMessageBox::Ok}); // a failure shows, instead of waiting for a click
    w.act("FileSaveAsCmd")->trigger();
    [&] { QVERIFY(MessageBox::takeShown().isEmpty()); }();
    return readFile(copy);
}

void TestHostileInput::hugeNoteWithoutLineBreak()
{
    const QString path = w.path(u"huge.qlt"_s);
    const QByteArray file =
        notesFile({Note{QByteArray(100 * 1024 * 1024, 'x'), gb(u"高"_s)}, makeNote(u"small\r\nbody"_s)});
    QVERIFY(writeFile(path, file));
    w.createForm({path});
    QCOMPARE(w.model().rowCount(), 2);
    QCOMPARE(w.model().note(0).text.size(), 100 * 1024 * 1024);

    // The list and the pane show the start of it; nobody reads further along one line.
    QCOMPARE(caption(0), QString(4096, QLatin1Char('x')));
    QCOMPARE(caption(1), u"small"_s);
    w.form().notesList()->setCurrentIndex(w.model().index(0, 0));
    // In blocks of a bounded length, one line all the same.
    const QTextDocument& pane = *notePane()->document();
    for (QTextBlock block = pane.begin(); block.isValid(); block = block.next())
        QVERIFY(block.length() <= NoteTextBlocks::PieceLength + 1);
    const QString shown = NoteTextBlocks::text(pane, 0, pane.characterCount() - 1, u"\n");
    QVERIFY(shown.size() <= 1024 * 1024 + 3);
    QVERIFY(shown.startsWith(QString(1000, QLatin1Char('x'))));
    QVERIFY2(shown.endsWith(u"x\n……"_s), qPrintable(shown.right(10)));
    w.form().notesList()->setCurrentIndex(w.model().index(1, 0));
    QCOMPARE(notePane()->toPlainText(), u"small\nbody"_s);

    QVERIFY(savedAgain() == file);
}

void TestHostileInput::millionEmptyNotes()
{
    const QString path = w.path(u"million.qlt"_s);
    const QByteArray file = fileWithStream(record(0).repeated(1000000));
    QVERIFY(writeFile(path, file));
    w.createForm({path});
    QCOMPARE(w.model().rowCount(), 1000000);
    QCOMPARE(w.panel(0), u"总计: 1000000"_s);
    w.form().notesList()->setCurrentIndex(w.model().index(999999, 0));
    QCOMPARE(notePane()->toPlainText(), QString());
    QVERIFY(savedAgain() == file);
}

void TestHostileInput::damagedFilesRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray manyNotes = record(5, "note.").repeated(100000);
    QTest::newRow("a note claiming 4 GiB") << fileWithStream(record(0xFFFFFFFF, "short"));
    QTest::newRow("the last of many notes one byte short") << fileWithStream(manyNotes + record(6, "note."));
    QTest::newRow("a record cut inside its header") << fileWithStream(manyNotes + QByteArray(5, '\0'));
    QTest::newRow("only part of the header") << notesFile({}).first(15);
}

void TestHostileInput::damagedFilesRefused()
{
    QFETCH(QByteArray, file);
    const QString path = w.path(u"damaged.qlt"_s);
    QVERIFY(writeFile(path, file));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    w.createForm({path});
    takeOneBox({}, Damaged);
    QCOMPARE(w.model().rowCount(), 0);
    QCOMPARE(w.form().FileName(), QString());
    QCOMPARE(readFile(path), file);

    // The window goes on as usual.
    w.seed({makeNote(u"after"_s)}, true);
    QCOMPARE(notesIn(w.path(u"saved again.qlt"_s)), QList<Note>{});
    savedAgain();
    QCOMPARE(notesIn(w.path(u"saved again.qlt"_s)), w.model().notes());
}

void TestHostileInput::invalidGb18030KeptByteForByte()
{
    const QList<Note> notes = {
        Note{"lead byte at the end \x81", gb(u"低"_s)},
        Note{"\xFF\x80 no character\r\nbody \x81\x30", gb(u"最高"_s)},
        Note{"\x81\x30\x81\r\n\xA1", gb(u"标准"_s)},
    };
    const QString path = w.path(u"broken text.qlt"_s);
    const QByteArray file = notesFile(notes);
    QVERIFY(writeFile(path, file));
    w.createForm({path});
    QCOMPARE(w.model().notes(), notes);
    for (int row = 0; row < notes.size(); ++row) {
        QVERIFY2(caption(row).contains(QChar::ReplacementCharacter), qPrintable(caption(row)));
        w.form().notesList()->setCurrentIndex(w.model().index(row, 0));
        QCOMPARE(notePane()->toPlainText(),
                 AnsiText::toUnicode(notes.at(row).text).replace(u"\r\n"_s, u"\n"_s));
    }
    QVERIFY(savedAgain() == file);
}

void TestHostileInput::hugeSettingsFile()
{
    const QString notesPath = w.path(u"last.qlt"_s);
    QVERIFY(writeFile(notesPath, notesFile({makeNote(u"opened at start"_s)})));
    QByteArray junk = "[General]\r\nLong=" + QByteArray(4 * 1024 * 1024, 'v') + "\r\n" + ';' +
                      QByteArray(3 * 1024 * 1024, '[') + "\r\n";
    for (int i = 0; i < 100000; ++i)
        junk += (i % 2 ? gb(u"键"_s) : QByteArray("key")) + QByteArray::number(i) + "=x\r\n";
    QVERIFY(junk.size() > 8 * 1024 * 1024);
    const QByteArray settings = junk + "OpenLastFile=1\r\nLastFile=" + gb(notesPath) + "\r\n";
    QVERIFY(writeFile(w.path(u"Quillet.ini"_s), settings));

    // The keys after the long lines count: the last file opens.
    w.createForm();
    QCOMPARE(w.model().rowCount(), 1);
    QCOMPARE(w.form().FileName(), notesPath);

    // Closing writes the window's settings and keeps every line it does not know.
    QVERIFY(w.form().close());
    const QByteArray after = readFile(w.path(u"Quillet.ini"_s));
    QVERIFY(after.startsWith(junk));
    QVERIFY(after.contains("\r\nTheme="));
}

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
