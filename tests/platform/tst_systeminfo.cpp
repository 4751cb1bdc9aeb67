#include "platform/SystemInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/utsname.h>
#endif

class TestSystemInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionText_data();
    void versionText();
    void prettyName_data();
    void prettyName();
    void productNameTakesFirstFileThatHasOne_data();
    void productNameTakesFirstFileThatHasOne();
    void describeThisSystem();
};

void TestSystemInfo::versionText_data()
{
    QTest::addColumn<QString>("release");
    QTest::addColumn<QString>("expected");

    QTest::newRow("debian") << "6.1.0-18-amd64"
                            << "6.1 Build 0 18-amd64";
    QTest::newRow("ubuntu") << "5.15.0-91-generic"
                            << "5.15 Build 0 91-generic";
    QTest::newRow("plus suffix") << "6.6.9+rpt-rpi-v8"
                                 << "6.6 Build 9 rpt-rpi-v8";
    QTest::newRow("two numbers") << "5.4"
                                 << "5.4 Build 0 ";
    QTest::newRow("three numbers") << "4.19.0"
                                   << "4.19 Build 0 ";
    QTest::newRow("windows style") << "10.0.19045"
                                   << "10.0 Build 19045 ";
    QTest::newRow("one number") << "6"
                                << "6.0 Build 0 ";
    QTest::newRow("empty") << ""
                           << "0.0 Build 0 ";
    QTest::newRow("release candidate") << "6.1-rc3"
                                       << "6.1 Build 0 rc3";
    QTest::newRow("letters right after") << "6.1rc2"
                                         << "6.1 Build 0 rc2";
    QTest::newRow("fourth number") << "6.1.0.1-x"
                                   << "6.1 Build 0 1-x";
    QTest::newRow("dot at the end") << "6."
                                    << "6.0 Build 0 ";
    QTest::newRow("no numbers") << "abc"
                                << "0.0 Build 0 abc";
    QTest::newRow("place marker in suffix") << "6.1.0-%1-x"
                                            << "6.1 Build 0 %1-x";
    QTest::newRow("number too large") << "99999999999.1"
                                      << "0.0 Build 0 99999999999.1";
    QTest::newRow("wsl") << "5.15.146.1-microsoft-standard-WSL2"
                         << "5.15 Build 146 1-microsoft-standard-WSL2";
}

void TestSystemInfo::versionText()
{
    QFETCH(QString, release);
    QFETCH(QString, expected);
    QCOMPARE(SystemInfo::versionText(release), expected);
}

void TestSystemInfo::prettyName_data()
{
    QTest::addColumn<QByteArray>("osRelease");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("expected");

    QTest::newRow("double quotes") << QByteArray(
                                          "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
                                          "(bookworm)\"\nVERSION_ID=\"12\"\n")
                                   << true << "Debian GNU/Linux 12 (bookworm)";
    QTest::newRow("single quotes") << QByteArray("PRETTY_NAME='Fedora Linux 39 (Workstation Edition)'\n")
                                   << true << "Fedora Linux 39 (Workstation Edition)";
    QTest::newRow("bare") << QByteArray("PRETTY_NAME=Alpine\n") << true << "Alpine";
    QTest::newRow("escapes in double quotes")
        << QByteArray("PRETTY_NAME=\"My \\\"Box\\\" \\\\ \\$HOME \\`x\\`\"\n") << true
        << "My \"Box\" \\ $HOME `x`";
    QTest::newRow("other backslash kept in double quotes")
        << QByteArray("PRETTY_NAME=\"a\\nb\"\n") << true << "a\\nb";
    QTest::newRow("backslash kept in single quotes")
        << QByteArray("PRETTY_NAME='a\\\"b'\n") << true << "a\\\"b";
    QTest::newRow("other quote inside") << QByteArray("PRETTY_NAME=\"It's\"\n") << true << "It's";
    QTest::newRow("bare escape") << QByteArray("PRETTY_NAME=My\\ Linux\n") << true << "My Linux";
    QTest::newRow("joined quotes") << QByteArray("PRETTY_NAME=\"Arch\"' Linux'\n") << true << "Arch Linux";
    QTest::newRow("CR LF lines") << QByteArray("ID=x\r\nPRETTY_NAME=\"X OS\"\r\n") << true << "X OS";
    QTest::newRow("no final break") << QByteArray("PRETTY_NAME=\"X OS\"") << true << "X OS";
    QTest::newRow("indented") << QByteArray("  PRETTY_NAME=\"X OS\"\n") << true << "X OS";
    QTest::newRow("last one wins") << QByteArray("PRETTY_NAME=\"Old\"\nPRETTY_NAME=\"New\"\n") << true
                                   << "New";
    QTest::newRow("utf-8") << QByteArray("PRETTY_NAME=\"\xe6\xb7\xb1\xe5\xba\xa6 20\"\n") << true
                           << QString::fromUtf8("\xe6\xb7\xb1\xe5\xba\xa6 20");
    QTest::newRow("unclosed quote") << QByteArray("PRETTY_NAME=\"X OS\n") << true << "X OS";
    QTest::newRow("comment after value") << QByteArray("PRETTY_NAME=\"X OS\" # the name\n") << true << "X OS";

    QTest::newRow("none") << QByteArray("NAME=\"Debian\"\nID=debian\n") << false << QString();
    QTest::newRow("empty text") << QByteArray() << false << QString();
    QTest::newRow("commented out") << QByteArray("#PRETTY_NAME=\"X OS\"\n") << false << QString();
    QTest::newRow("longer key") << QByteArray("PRETTY_NAME_X=\"X OS\"\n") << false << QString();
    QTest::newRow("key in value") << QByteArray("NAME=\"PRETTY_NAME=X\"\n") << false << QString();
    QTest::newRow("empty value") << QByteArray("PRETTY_NAME=\"\"\n") << false << QString();
    QTest::newRow("no equals sign") << QByteArray("PRETTY_NAME\n") << false << QString();
}

void TestSystemInfo::prettyName()
{
    QFETCH(QByteArray, osRelease);
    QFETCH(bool, found);
    QFETCH(QString, expected);

    const std::optional<QString> name = SystemInfo::prettyName(osRelease);
    QCOMPARE(name.has_value(), found);
    if (found)
        QCOMPARE(*name, expected);
}

void TestSystemInfo::productNameTakesFirstFileThatHasOne_data()
{
    QTest::addColumn<QByteArray>("first"); // "-" for no file
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("expected"); // empty for none

    QTest::newRow("first has it") << QByteArray("PRETTY_NAME=\"One\"\n")
                                  << QByteArray("PRETTY_NAME=\"Two\"\n") << "One";
    QTest::newRow("first missing") << QByteArray("-") << QByteArray("PRETTY_NAME=\"Two\"\n") << "Two";
    QTest::newRow("first without name")
        << QByteArray("ID=x\n") << QByteArray("PRETTY_NAME=\"Two\"\n") << "Two";
    QTest::newRow("second missing") << QByteArray("PRETTY_NAME=\"One\"\n") << QByteArray("-") << "One";
    QTest::newRow("both missing") << QByteArray("-") << QByteArray("-") << QString();
    QTest::newRow("neither has it") << QByteArray("ID=x\n") << QByteArray("") << QString();
}

void TestSystemInfo::productNameTakesFirstFileThatHasOne()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList paths{dir.filePath(QStringLiteral("etc-os-release")),
                            dir.filePath(QStringLiteral("lib-os-release"))};
    const QByteArray contents[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        if (contents[i] == "-")
            continue;
        QFile file(paths[i]);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents[i]), contents[i].size());
    }

    const std::optional<QString> name = SystemInfo::productName(paths);
    QCOMPARE(name.has_value(), !expected.isEmpty());
    if (name)
        QCOMPARE(*name, expected);
}

void TestSystemInfo::describeThisSystem()
{
    const SystemDescription description = SystemInfo::describe();
#ifdef Q_OS_UNIX
    utsname names{};
    QCOMPARE(uname(&names), 0);
    QCOMPARE(description.version, SystemInfo::versionText(QString::fromLocal8Bit(names.release)));
#endif
    QVERIFY(description.version.contains(QStringLiteral(" Build ")));

    QByteArray osRelease;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly) && file.peek(1 << 16).contains("PRETTY_NAME=")) {
            osRelease = file.readAll();
            break;
        }
    }
    if (osRelease.isEmpty()) {
        QVERIFY(!description.productName);
    } else {
        QVERIFY(description.productName);
        QVERIFY(!description.productName->isEmpty());
        QVERIFY(osRelease.contains(description.productName->toUtf8()));
    }
}

QTEST_GUILESS_MAIN(TestSystemInfo)
#include "tst_systeminfo.moc"
