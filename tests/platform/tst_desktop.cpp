#include "TestFiles.h"

#include "platform/Desktop.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startDetachedRefusesWhatIsNotAProgram_data();
    void startDetachedRefusesWhatIsNotAProgram();
    void startDetachedStartsAProgram();
    void openReportsWhatIsMissing();

private:
    QTemporaryDir m_dir;
};

void TestDesktop::startDetachedRefusesWhatIsNotAProgram_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("create");
    QTest::newRow("missing") << u"missing"_s << false;
    QTest::newRow("not executable") << u"plain.txt"_s << true;
    // A bare name must not be looked up in PATH.
    QTest::newRow("bare name") << u"true"_s << false;
}

void TestDesktop::startDetachedRefusesWhatIsNotAProgram()
{
    QFETCH(QString, name);
    QFETCH(bool, create);
    QVERIFY(m_dir.isValid());
    QString path = name;
    if (create) {
        path = m_dir.filePath(name);
        QVERIFY(writeFile(path, "not a program\n"));
    }
    QVERIFY(!Desktop::startDetached(path));
}

void TestDesktop::startDetachedStartsAProgram()
{
    QVERIFY(QFile::exists(u"/bin/true"_s));
    QVERIFY(Desktop::startDetached(u"/bin/true"_s));

    // The extra environment reaches the program on top of this one's, but for the desktop's start-up
    // tokens of this process, which are not handed on.
    QVERIFY(m_dir.isValid());
    qputenv("XDG_ACTIVATION_TOKEN", "spent-token");
    qputenv("DESKTOP_STARTUP_ID", "spent-id");
    qputenv("QUILLET_PASSED_ON", "kept");
    const QString out = m_dir.filePath(u"environment.txt"_s);
    QVERIFY(Desktop::startDetached(u"/bin/sh"_s,
                                   {u"-c"_s, u"env > \"$0.part\" && mv \"$0.part\" \"$0\""_s, out},
                                   {u"QUILLET_ADDED=given"_s}));
    QTRY_VERIFY(QFile::exists(out));
    const QByteArray environment = readFile(out);
    QVERIFY(environment.contains("QUILLET_PASSED_ON=kept\n"));
    QVERIFY(environment.contains("QUILLET_ADDED=given\n"));
    QVERIFY(!environment.contains("spent"));
}

void TestDesktop::openReportsWhatIsMissing()
{
    QVERIFY(!Desktop::openDocument(m_dir.filePath(u"Quillet.chm"_s)));
    QVERIFY(!Desktop::openDocument(m_dir.path())); // a folder is not a document
    QVERIFY(!Desktop::openFolder(m_dir.filePath(u"gone"_s)));
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
