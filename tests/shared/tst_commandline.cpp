#include "shared/CommandLine.h"

#include <QTest>

using namespace Qt::StringLiterals;

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

    QTest::newRow("dash lower") << u"-debug"_s << u"debug"_s << true;
    QTest::newRow("slash upper") << u"/DEBUG"_s << u"debug"_s << true;
    QTest::newRow("dash mixed") << u"-Debug"_s << u"debug"_s << true;
    QTest::newRow("slash mixed") << u"/dEbUg"_s << u"debug"_s << true;
    QTest::newRow("name given in capitals") << u"-debug"_s << u"DEBUG"_s << true;
    QTest::newRow("minimize slash") << u"/minimize"_s << u"minimize"_s << true;
    QTest::newRow("minimize dash capitals") << u"-MINIMIZE"_s << u"minimize"_s << true;

    QTest::newRow("double dash") << u"--debug"_s << u"debug"_s << false;
    QTest::newRow("no lead") << u"debug"_s << u"debug"_s << false;
    QTest::newRow("longer word") << u"/debugx"_s << u"debug"_s << false;
    QTest::newRow("shorter word") << u"-debu"_s << u"debug"_s << false;
    QTest::newRow("lead alone") << u"-"_s << u"debug"_s << false;
    QTest::newRow("slash alone") << u"/"_s << u"debug"_s << false;
    QTest::newRow("empty") << u""_s << u"debug"_s << false;
    QTest::newRow("backslash lead") << u"\\debug"_s << u"debug"_s << false;
    QTest::newRow("trailing blank") << u"-debug "_s << u"debug"_s << false;
    QTest::newRow("leading blank") << u" -debug"_s << u"debug"_s << false;
    QTest::newRow("other switch") << u"/minimize"_s << u"debug"_s << false;
    QTest::newRow("lead at the end") << u"debug-"_s << u"debug"_s << false;
    QTest::newRow("unicode dash") << u"\u2013debug"_s << u"debug"_s << false;
    QTest::newRow("file path") << u"/home/user/notes.qlt"_s << u"debug"_s << false;
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
