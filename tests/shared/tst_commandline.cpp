#include "shared/CommandLine.h"

#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isSwitch_data();
    void isSwitch();
    void hasSwitch_data();
    void hasSwitch();
};

void TestCommandLine::isSwitch_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("dash lower") << "-debug"
                                << "debug" << true;
    QTest::newRow("slash upper") << "/DEBUG"
                                 << "debug" << true;
    QTest::newRow("dash mixed") << "-Debug"
                                << "debug" << true;
    QTest::newRow("slash mixed") << "/dEbUg"
                                 << "debug" << true;
    QTest::newRow("name given in capitals") << "-debug"
                                            << "DEBUG" << true;
    QTest::newRow("minimize slash") << "/minimize"
                                    << "minimize" << true;
    QTest::newRow("minimize dash capitals") << "-MINIMIZE"
                                            << "minimize" << true;

    QTest::newRow("double dash") << "--debug"
                                 << "debug" << false;
    QTest::newRow("no lead") << "debug"
                             << "debug" << false;
    QTest::newRow("longer word") << "/debugx"
                                 << "debug" << false;
    QTest::newRow("shorter word") << "-debu"
                                  << "debug" << false;
    QTest::newRow("lead alone") << "-"
                                << "debug" << false;
    QTest::newRow("slash alone") << "/"
                                 << "debug" << false;
    QTest::newRow("empty") << ""
                           << "debug" << false;
    QTest::newRow("backslash lead") << "\\debug"
                                    << "debug" << false;
    QTest::newRow("trailing blank") << "-debug "
                                    << "debug" << false;
    QTest::newRow("leading blank") << " -debug"
                                   << "debug" << false;
    QTest::newRow("other switch") << "/minimize"
                                  << "debug" << false;
    QTest::newRow("lead at the end") << "debug-"
                                     << "debug" << false;
    QTest::newRow("unicode dash") << QString::fromUtf8("\u2013debug") << "debug" << false;
    QTest::newRow("file path") << "/home/user/notes.qlt"
                               << "debug" << false;
}

void TestCommandLine::isSwitch()
{
    QFETCH(QString, argument);
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(CommandLine::isSwitch(argument, name), expected);
}

void TestCommandLine::hasSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no arguments") << QStringList() << false;
    QTest::newRow("alone") << QStringList{"/debug"} << true;
    QTest::newRow("first") << QStringList{"-DEBUG", "notes.qlt", "secret"} << true;
    QTest::newRow("middle") << QStringList{"notes.qlt", "/Debug", "secret"} << true;
    QTest::newRow("last") << QStringList{"notes.qlt", "secret", "-debug"} << true;
    QTest::newRow("beside another switch") << QStringList{"/minimize", "/debug"} << true;
    QTest::newRow("path and password only") << QStringList{"notes.qlt", "debug"} << false;
    QTest::newRow("near misses only") << QStringList{"--debug", "/debugx", "-", "debug"} << false;
    QTest::newRow("other switch only") << QStringList{"-minimize"} << false;
}

void TestCommandLine::hasSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, expected);
    QCOMPARE(CommandLine::hasSwitch(arguments, u"debug"), expected);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
