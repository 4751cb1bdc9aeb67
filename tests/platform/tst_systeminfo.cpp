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

    QTest::newRow("debian") << u"6.1.0-18-amd64"_s << u"6.1 Build 0 18-amd64"_s;
    QTest::newRow("ubuntu") << u"5.15.0-91-generic"_s << u"5.15 Build 0 91-generic"_s;
    QTest::newRow("plus suffix") << u"6.6.9+rpt-rpi-v8"_s << u"6.6 Build 9 rpt-rpi-v8"_s;
    QTest::newRow("two numbers") << u"5.4"_s << u"5.4 Build 0 "_s;
    QTest::newRow("three numbers") << u"4.19.0"_s << u"4.19 Build 0 "_s;
    QTest::newRow("windows style") << u"10.0.19045"_s << u"10.0 Build 19045 "_s;
    QTest::newRow("one number") << u"6"_s << u"6.0 Build 0 "_s;
    QTest::newRow("empty") << u""_s << u"0.0 Build 0 "_s;
    QTest::newRow("release candidate") << u"6.1-rc3"_s << u"6.1 Build 0 rc3"_s;
    QTest::newRow("letters right after") << u"6.1rc2"_s << u"6.1 Build 0 rc2"_s;
    QTest::newRow("fourth number") << u"6.1.0.1-x"_s << u"6.1 Build 0 1-x"_s;
    QTest::newRow("dot at the end") << u"6."_s << u"6.0 Build 0 "_s;
    QTest::newRow("no numbers") << u"abc"_s << u"0.0 Build 0 abc"_s;
    QTest::newRow("place marker in suffix") << u"6.1.0-%1-x"_s << u"6.1 Build 0 %1-x"_s;
    QTest::newRow("number too large") << u"99999999999.1"_s << u"0.0 Build 0 99999999999.1"_s;
    QTest::newRow("wsl") << u"5.15.146.1-microsoft-standard-WSL2"_s
                         << u"5.15 Build 146 1-microsoft-standard-WSL2"_s;
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
