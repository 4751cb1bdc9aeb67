#include "TestFiles.h"

#include "shared/DebugLog.h"

#include "shared/AnsiText.h"
#include "shared/CommandLine.h"
#include "shared/FileSizeLimit.h"
#include "shared/LocaleFormats.h"
#include "shared/PlantedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QTime SomeTime(14, 2, 51);

enum class OtherWrite
{
    Appends,
    Rewrites,
    MovesIn,
};

void appendRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray entry(int number, const char* name, const QTime& time = SomeTime)
{
    return QByteArray::number(number) + ". " + name + " [" +
           AnsiText::fromUnicode(LocaleFormats::longTime(time)) + "]\r\n";
}

const QByteArray Header = "Quillet 1.54 debug log\r\n\r\n";

} // namespace

// Runs with "/DEBUG" among the program's arguments (see main below), so tracing writes the log.
class TestDebugLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Must stay first: nothing may trace before it.
    void lastTraceNameIsEmptyBeforeFirstCall();

    void init();

    void debugSwitchIsSeen();
    void traceWritesNumberedLogBesideProgram();
    void lastTraceNameIsAlwaysTheLastName();
    void traceSurvivesUnwritableLog();

    void newLogSkipsNumberTwo();
    void existingLogGetsItsLineCount_data();
    void existingLogGetsItsLineCount();
    void logChangedByAnotherWriterIsRecounted_data();
    void logChangedByAnotherWriterIsRecounted();
    void deletedLogStartsAgain();
    void twoLogsAreCountedApart();
    void ownAppendsAreNotReadAgain();
    void timeHasNoTimeZone();

    void unwritableLogFails_data();
    void unwritableLogFails();
    void failedAppendIsTakenBack();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestDebugLog::lastTraceNameIsEmptyBeforeFirstCall()
{
    QVERIFY(SharedSrc::LastTraceName().isEmpty());
}

void TestDebugLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir->path()));
    m_path = m_dir->filePath(u"qltdbg.dat"_s);
}

void TestDebugLog::debugSwitchIsSeen()
{
    QVERIFY(SharedSrc::IsDebugMode());
    const QStringList arguments = CommandLine::programArguments();
    QVERIFY(arguments.contains(u"/DEBUG"_s));
    QVERIFY(!arguments.contains(QCoreApplication::arguments().constFirst()));
}

void TestDebugLog::traceWritesNumberedLogBesideProgram()
{
    const QTime before = QTime::currentTime();
    SharedSrc::DebugLog("TMainForm.FormCreate");
    SharedSrc::DebugLog("TMainForm.FormActivate");
    SharedSrc::DebugLog("SharedSrc.ErrorMsg");
    const QTime after = QTime::currentTime();

    const QList<QByteArray> lines = readFile(m_path).split('\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[0], QByteArray("Quillet 1.54 debug log\r"));
    QCOMPARE(lines[1], QByteArray("\r"));
    QCOMPARE(lines[5], QByteArray());

    // The clock may pass a second boundary (even midnight) between the calls: any second in between will do.
    const QTime first(before.hour(), before.minute(), before.second());
    const QTime last(after.hour(), after.minute(), after.second());
    const char* names[] = {"TMainForm.FormCreate", "TMainForm.FormActivate", "SharedSrc.ErrorMsg"};
    const int numbers[] = {1, 3, 4};
    for (int i = 0; i < 3; ++i) {
        const QByteArray line = lines[i + 2] + '\n';
        bool matched = false;
        for (QTime t = first; !matched; t = t.addSecs(1)) {
            matched = line == entry(numbers[i], names[i], t);
            if (t == last)
                break;
        }
        QVERIFY2(matched, line.constData());
    }
}

void TestDebugLog::lastTraceNameIsAlwaysTheLastName()
{
    for (const char* name :
         {"TOptionsForm.RegisterFileTypeBtnClick.SetKeyValue",
          "TOptionsForm.RegisterFileTypeBtnClick.SetKeyValue.Check", "SharedSrc.ErrorMsg"}) {
        SharedSrc::DebugLog(name);
        QCOMPARE(SharedSrc::LastTraceName(), QString::fromLatin1(name));
    }
}

void TestDebugLog::traceSurvivesUnwritableLog()
{
    // A log that cannot be written costs the entry, never the program or the name.
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir->filePath(u"no such folder"_s)));
    SharedSrc::DebugLog("TMainForm.FormDestroy");
    QCOMPARE(SharedSrc::LastTraceName(), u"TMainForm.FormDestroy"_s);
    QVERIFY(!QFile::exists(m_dir->filePath(u"no such folder"_s)));
}

void TestDebugLog::newLogSkipsNumberTwo()
{
    const char* names[] = {"A.One", "A.Two", "A.Three", "A.Four"};
    for (const char* name : names)
        QVERIFY(TraceLogFile::append(m_path, name, SomeTime));

    QCOMPARE(readFile(m_path),
             Header + entry(1, "A.One") + entry(3, "A.Two") + entry(4, "A.Three") + entry(5, "A.Four"));
}

void TestDebugLog::existingLogGetsItsLineCount_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("added"); // before the new entry
    QTest::addColumn<int>("number");

    const QByteArray ofThree = Header + entry(1, "A.One");
    QTest::newRow("log of 3 lines") << ofThree << QByteArray() << 3;
    QTest::newRow("log of 5 lines") << ofThree + entry(3, "A.Two") + entry(4, "A.Three") << QByteArray() << 5;
    QTest::newRow("LF lines") << QByteArray("a\nb\n") << QByteArray() << 2;
    QTest::newRow("CR lines") << QByteArray("a\rb\rc\r") << QByteArray() << 3;
    QTest::newRow("mixed breaks") << QByteArray("a\r\nb\nc\rd\r\n") << QByteArray() << 4;
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n\r\n") << QByteArray() << 3;
    QTest::newRow("no break at the end") << QByteArray("a\r\nb") << QByteArray("\r\n") << 2;
    QTest::newRow("one line without break") << QByteArray("x") << QByteArray("\r\n") << 1;
    // An empty file holds nothing worth keeping, so it is started like a new log.
    QTest::newRow("empty file") << QByteArray() << Header << 1;
    const QByteArray straddling = QByteArray(65535, 'a') + "\r\nb\r\n";
    QTest::newRow("CR LF across the read size") << straddling << QByteArray() << 2;
    QByteArray big;
    for (int i = 1; i <= 30000; ++i)
        big += "line " + QByteArray::number(i) + "\r\n";
    QTest::newRow("longer than one read") << big << QByteArray() << 30000;
}

void TestDebugLog::existingLogGetsItsLineCount()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, added);
    QFETCH(int, number);

    QVERIFY(writeFile(m_path, existing));
    QVERIFY(TraceLogFile::append(m_path, "B.Next", SomeTime));
    QCOMPARE(readFile(m_path), existing + added + entry(number, "B.Next"));
}

void TestDebugLog::logChangedByAnotherWriterIsRecounted_data()
{
    QTest::addColumn<QByteArray>("otherWriter");
    QTest::addColumn<OtherWrite>("how");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray ours = Header + entry(1, "A.One");
    QTest::newRow("another instance appends")
        << entry(3, "X.Other") + entry(4, "X.Other") << OtherWrite::Appends
        << ours + entry(3, "X.Other") + entry(4, "X.Other") + entry(5, "A.Two");
    QTest::newRow("appended without break")
        << QByteArray("tail") << OtherWrite::Appends << ours + "tail\r\n" + entry(4, "A.Two");
    QTest::newRow("replaced by a shorter log")
        << QByteArray("a\r\n") << OtherWrite::Rewrites << QByteArray("a\r\n") + entry(1, "A.Two");
    QTest::newRow("replaced by a longer log")
        << Header + entry(1, "X.New") + entry(3, "X.New") + entry(4, "X.New") << OtherWrite::Rewrites
        << Header + entry(1, "X.New") + entry(3, "X.New") + entry(4, "X.New") + entry(5, "A.Two");
    // The log this process holds open is no longer the one at the path: the entry goes to the new one.
    QTest::newRow("another file moved into place")
        << QByteArray("a\r\nb\r\n") << OtherWrite::MovesIn << QByteArray("a\r\nb\r\n") + entry(2, "A.Two");
}

void TestDebugLog::logChangedByAnotherWriterIsRecounted()
{
    QFETCH(QByteArray, otherWriter);
    QFETCH(OtherWrite, how);
    QFETCH(QByteArray, expected);

    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    switch (how) {
    case OtherWrite::Appends:
        appendRaw(m_path, otherWriter);
        break;
    case OtherWrite::Rewrites:
        QVERIFY(writeFile(m_path, otherWriter));
        break;
    case OtherWrite::MovesIn: {
#ifdef Q_OS_WIN
        QSKIP("no rename replaces a file that is open here (Wine, and Windows without POSIX semantics)");
#endif
        const QString moved = m_dir->filePath(u"moved.dat"_s);
        QVERIFY(writeFile(moved, otherWriter));
        QVERIFY(moveOver(moved, m_path));
        break;
    }
    }
    QVERIFY(TraceLogFile::append(m_path, "A.Two", SomeTime));
    QCOMPARE(readFile(m_path), expected);
}

void TestDebugLog::deletedLogStartsAgain()
{
#ifdef Q_OS_WIN
    QSKIP("a deleted file that is open keeps its name until it is closed here (Wine, and Windows without "
          "POSIX semantics)");
#endif
    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    QVERIFY(TraceLogFile::append(m_path, "A.Two", SomeTime));
    QVERIFY(QFile::remove(m_path));
    QVERIFY(TraceLogFile::append(m_path, "B.One", SomeTime));
    QVERIFY(TraceLogFile::append(m_path, "B.Two", SomeTime));
    QCOMPARE(readFile(m_path), Header + entry(1, "B.One") + entry(3, "B.Two"));
}

void TestDebugLog::twoLogsAreCountedApart()
{
    const QString other = m_dir->filePath(u"other.dat"_s);
    QVERIFY(writeFile(other, "x\r\ny\r\n"));
    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    QVERIFY(TraceLogFile::append(other, "B.One", SomeTime));
    QVERIFY(TraceLogFile::append(m_path, "A.Two", SomeTime));
    QVERIFY(TraceLogFile::append(other, "B.Two", SomeTime));
    QCOMPARE(readFile(m_path), Header + entry(1, "A.One") + entry(3, "A.Two"));
    QCOMPARE(readFile(other), QByteArray("x\r\ny\r\n") + entry(2, "B.One") + entry(3, "B.Two"));
}

void TestDebugLog::ownAppendsAreNotReadAgain()
{
    // A trace costs one append: the count this process wrote is trusted while the file keeps the size
    // it left. Same-sized text with other line breaks shows that the file was not read again.
    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    const QByteArray written = readFile(m_path);
    QVERIFY(writeFile(m_path, QByteArray(written.size() - 2, 'x') + "\r\n"));
    QVERIFY(TraceLogFile::append(m_path, "A.Two", SomeTime));
    QVERIFY(readFile(m_path).endsWith("\r\n" + entry(3, "A.Two")));
}

void TestDebugLog::timeHasNoTimeZone()
{
    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    const QByteArray line = readFile(m_path).mid(Header.size());
    const QString time = LocaleFormats::longTime(SomeTime);
    QCOMPARE(line, "1. A.One [" + AnsiText::fromUnicode(time) + "]\r\n");

    const QLocale locale = QLocale::system();
    QVERIFY(time.contains(locale.toString(SomeTime, u"mm"_s)));
    QVERIFY(time.contains(locale.toString(SomeTime, u"ss"_s)));
    const QString zone = locale.toString(SomeTime, u"t"_s);
    if (!zone.isEmpty())
        QVERIFY2(!time.contains(zone), qPrintable(time));
    QCOMPARE(time, time.trimmed());
}

void TestDebugLog::unwritableLogFails_data()
{
    PlantedFiles::addRows();
}

void TestDebugLog::unwritableLogFails()
{
    QFETCH(QString, relativePath);
    PlantedFiles::plant(m_dir->path());
    QVERIFY(!TraceLogFile::append(m_dir->filePath(relativePath), "A.One", SomeTime));
    PlantedFiles::verifyUntouched(m_dir->path());

    if (!QFile::exists(u"/dev/full"_s))
        return;
    QVERIFY(!TraceLogFile::append(u"/dev/full"_s, "A.One", SomeTime));
}

void TestDebugLog::failedAppendIsTakenBack()
{
#ifdef Q_OS_UNIX
    QVERIFY(TraceLogFile::append(m_path, "A.One", SomeTime));
    QVERIFY(TraceLogFile::append(m_path, "A.Two", SomeTime));
    const QByteArray before = readFile(m_path);
    {
        FileSizeLimit limit(before.size() + 5); // room for part of an entry only
        QVERIFY(limit.active());
        QVERIFY(!TraceLogFile::append(m_path, "A.Lost", SomeTime));
    }
    QCOMPARE(readFile(m_path), before);

    QVERIFY(TraceLogFile::append(m_path, "A.Three", SomeTime));
    QCOMPARE(readFile(m_path), before + entry(4, "A.Three"));
#else
    QSKIP("Needs a file size limit.");
#endif
}

int main(int argc, char** argv)
{
    // The application sees the debug switch among its arguments; QTest sees only its own options.
    std::vector<char*> appArguments(argv, argv + argc);
    char debugSwitch[] = "/DEBUG";
    appArguments.insert(appArguments.begin() + 1, debugSwitch);
    int appArgumentCount = int(appArguments.size());
    appArguments.push_back(nullptr);
    QCoreApplication app(appArgumentCount, appArguments.data());

    TestDebugLog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_debuglog.moc"
