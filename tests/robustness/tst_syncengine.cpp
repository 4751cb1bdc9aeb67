#include "TestFiles.h"
#include "WindowHarness.h"

#include "document/NotesModel.h"
#include "forms/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// A real sync engine: unison keeps two local folders alike, the way a synchronised folder receives
// another machine's version of a notes file, written by quillet-cli on that "machine".
class TestSyncEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { w.init(); }
    void cleanup() { w.cleanup(); }

    void otherMachinesNoteArrivesInTheWindow();

private:
    bool synchronise();
    bool cliAdd(const QString& file, const QString& text);

    WindowHarness w;
    QString m_unison;
};

void TestSyncEngine::initTestCase()
{
    m_unison = QStandardPaths::findExecutable(QStringLiteral("unison"));
    if (m_unison.isEmpty())
        QSKIP("unison is not installed (scripts/common.sh installs it): the sync-engine test is skipped");
    w.initTestCase();
}

bool TestSyncEngine::synchronise()
{
    QProcess unison;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its archives stay in the test's folder; the window's lock belongs to this machine only.
    environment.insert(QStringLiteral("UNISON"), w.path(QStringLiteral("archives")));
    unison.setProcessEnvironment(environment);
    unison.start(m_unison, {w.path(QStringLiteral("laptop")), w.path(QStringLiteral("desktop")),
                            QStringLiteral("-batch"), QStringLiteral("-silent"), QStringLiteral("-ignore"),
                            QStringLiteral("Name .*.lock")});
    return unison.waitForFinished(30000) && unison.exitCode() == 0;
}

bool TestSyncEngine::cliAdd(const QString& file, const QString& text)
{
    return QProcess::execute(QStringLiteral(QUILLET_CLI_PATH), {QStringLiteral("add"), file, text}) == 0;
}

void TestSyncEngine::otherMachinesNoteArrivesInTheWindow()
{
    QVERIFY(QDir().mkpath(w.path(QStringLiteral("laptop"))));
    QVERIFY(QDir().mkpath(w.path(QStringLiteral("desktop"))));
    const QString there = w.path(QStringLiteral("laptop/notes.qlt"));
    const QString here = w.path(QStringLiteral("desktop/notes.qlt"));
    QVERIFY(writeFile(there, notesFile({makeNote(QStringLiteral("first"))})));
    QVERIFY(synchronise());
    w.createForm({here});
    QCOMPARE(w.form().FileName(), here);
    w.form().selectRow(0);

    // Without unsaved changes the window shows the arriving version by itself.
    QVERIFY(cliAdd(there, QStringLiteral("from the laptop")));
    QVERIFY(synchronise());
    const QList<Note> arrived{makeNote(QStringLiteral("first")), makeNote(QStringLiteral("from the laptop"))};
    QTRY_COMPARE(w.model().notes(), arrived);
    QCOMPARE(w.form().selectedRow(), 0);
    QVERIFY(!w.form().GetModified());

    // With unsaved changes it says so at once, and its save does not erase the arrived note unasked.
    w.seed({makeNote(QStringLiteral("typed on the desktop"))}, true);
    QVERIFY(cliAdd(there, QStringLiteral("again from the laptop")));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QVERIFY(synchronise());
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    QVERIFY(MessageBox::takeShown().at(0).text.startsWith(QStringLiteral("文件已被其他程序更改:")));
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("FileSaveCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(notesIn(here), arrived + QList<Note>{makeNote(QStringLiteral("again from the laptop"))});
    QVERIFY(w.form().GetModified());
}

QTEST_MAIN(TestSyncEngine)
#include "tst_syncengine.moc"
