#include "platform/SystemInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/utsname.h>
#endif

using namespace Qt::StringLiterals;

class TestSystemInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionText_data();
    void versionText();
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

void TestSystemInfo::describeThisSystem()
{
    const SystemDescription description = SystemInfo::describe();
#ifdef Q_OS_UNIX
    utsname names{};
    QCOMPARE(uname(&names), 0);
    QCOMPARE(description.version, SystemInfo::versionText(QString::fromLocal8Bit(names.release)));
#endif
    QVERIFY(description.version.contains(u" Build "_s));

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
