#include "TestFiles.h"
#include "WindowHarness.h"

#include "document/NotesModel.h"
#include "forms/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

// A real sync engine: unison keeps two local folders alike, the way a synchronised folder receives
// another machine's version of a notes file, written by quillet-cli on that "machine".
class TestSyncEngine : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void otherMachinesNoteArrivesInTheWindow();

private:
    bool synchronise();
    bool cliAdd(const QString& file, const QString& text);

    QString m_unison;
};

void TestSyncEngine::initTestCase()
{
    m_unison = QStandardPaths::findExecutable(u"unison"_s);
    if (m_unison.isEmpty())
        QSKIP("unison is not installed (scripts/common.sh installs it): the sync-engine test is skipped");
    w.initTestCase();
}

bool TestSyncEngine::synchronise()
{
    QProcess unison;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its archives stay in the test's folder; the window's lock belongs to this machine only.
    environment.insert(u"UNISON"_s, w.path(u"archives"_s));
    unison.setProcessEnvironment(environment);
    unison.start(m_unison, {w.path(u"laptop"_s), w.path(u"desktop"_s), u"-batch"_s, u"-silent"_s,
                            u"-ignore"_s, u"Name .*.lock"_s});
    return unison.waitForFinished(30000) && unison.exitCode() == 0;
}

bool TestSyncEngine::cliAdd(const QString& file, const QString& text)
{
    return QProcess::execute(QStringLiteral(QUILLET_CLI_PATH), {u"add"_s, file, text}) == 0;
}

void TestSyncEngine::otherMachinesNoteArrivesInTheWindow()
{
    QVERIFY(QDir().mkpath(w.path(u"laptop"_s)));
    QVERIFY(QDir().mkpath(w.path(u"desktop"_s)));
    const QString there = w.path(u"laptop/notes.qlt"_s);
    const QString here = w.path(u"desktop/notes.qlt"_s);
    QVERIFY(writeFile(there, notesFile({makeNote(u"first"_s)})));
    QVERIFY(synchronise());
    w.createForm({here});
    QCOMPARE(w.form().FileName(), here);
    w.form().selectRow(0);

    // Without unsaved changes the window shows the arriving version by itself.
    QVERIFY(cliAdd(there, u"from the laptop"_s));
    QVERIFY(synchronise());
    const QList<Note> arrived{makeNote(u"first"_s), makeNote(u"from the laptop"_s)};
    QTRY_COMPARE(w.model().notes(), arrived);
    QCOMPARE(w.form().selectedRow(), 0);
    QVERIFY(!w.form().GetModified());

    // With unsaved changes it says so at once, and its save does not erase the arrived note unasked.
    w.seed({makeNote(u"typed on the desktop"_s)}, true);
    QVERIFY(cliAdd(there, u"again from the laptop"_s));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QVERIFY(synchronise());
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    QVERIFY(MessageBox::takeShown().at(0).text.startsWith(u"文件已被其他程序更改:"_s));
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("FileSaveCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(notesIn(here), arrived + QList<Note>{makeNote(u"again from the laptop"_s)});
    QVERIFY(w.form().GetModified());
}

QTEST_MAIN(TestSyncEngine)
#include "tst_syncengine.moc"
