#include "platform/Desktop.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startDetachedRefusesWhatIsNotAProgram_data();
    void startDetachedRefusesWhatIsNotAProgram();
    void startDetachedStartsAProgram();
    void openDocumentReportsAMissingFile();
    void openFolderReportsAMissingFolder();

private:
    QTemporaryDir m_dir;
};

void TestDesktop::startDetachedRefusesWhatIsNotAProgram_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("create");
    QTest::newRow("missing") << QStringLiteral("missing") << false;
    QTest::newRow("not executable") << QStringLiteral("plain.txt") << true;
    // A bare name must not be looked up in PATH.
    QTest::newRow("bare name") << QStringLiteral("true") << false;
}

void TestDesktop::startDetachedRefusesWhatIsNotAProgram()
{
    QFETCH(QString, name);
    QFETCH(bool, create);
    QVERIFY(m_dir.isValid());
    QString path = name;
    if (create) {
        path = m_dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a program\n");
    }
    QVERIFY(!Desktop::startDetached(path));
}

void TestDesktop::startDetachedStartsAProgram()
{
    QVERIFY(QFile::exists(QStringLiteral("/bin/true")));
    QVERIFY(Desktop::startDetached(QStringLiteral("/bin/true")));

    // The extra environment reaches the program on top of this one's.
    QVERIFY(m_dir.isValid());
    const QString out = m_dir.filePath(QStringLiteral("env.txt"));
    qputenv("QUILLET_INHERITED", "kept");
    QVERIFY(Desktop::startDetached(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("echo \"$QUILLET_INHERITED $QUILLET_ADDED\" >%1.part "
                                              "&& mv %1.part %1")
                                   .arg(out)},
        {QStringLiteral("QUILLET_ADDED=given")}));
    QTRY_VERIFY(QFile::exists(out));
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("kept given\n"));
}

void TestDesktop::openDocumentReportsAMissingFile()
{
    QVERIFY(!Desktop::openDocument(m_dir.filePath(QStringLiteral("Quillet.chm"))));
    QVERIFY(!Desktop::openDocument(m_dir.path())); // a folder is not a document
}

void TestDesktop::openFolderReportsAMissingFolder()
{
    QVERIFY(!Desktop::openFolder(m_dir.filePath(QStringLiteral("gone"))));
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
