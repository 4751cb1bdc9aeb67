#include "TestFiles.h"

#include "shared/DebugLog.h"

#include "shared/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Runs without the debug switch: tracing keeps the name and nothing else.
class TestDebugLogOff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Must stay first: nothing may trace before it.
    void lastTraceNameIsEmptyBeforeFirstCall();

    void init();

    void debugModeIsOff();
    void noLogIsWrittenNorChanged();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestDebugLogOff::lastTraceNameIsEmptyBeforeFirstCall()
{
    QVERIFY(SharedSrc::LastTraceName().isEmpty());
}

void TestDebugLogOff::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir->path()));
    m_path = m_dir->filePath(u"qltdbg.dat"_s);
}

void TestDebugLogOff::debugModeIsOff()
{
    QVERIFY(!CommandLine::hasSwitch(CommandLine::programArguments(), u"debug"));
    QVERIFY(!SharedSrc::IsDebugMode());
}

void TestDebugLogOff::noLogIsWrittenNorChanged()
{
    SharedSrc::DebugLog("TMainForm.FormCreate");
    QCOMPARE(SharedSrc::LastTraceName(), u"TMainForm.FormCreate"_s);
    SharedSrc::DebugLog("TMainForm.FormActivate");
    QCOMPARE(SharedSrc::LastTraceName(), u"TMainForm.FormActivate"_s);
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(QDir(m_dir->path()).isEmpty());

    const QByteArray old = "Quillet 1.54 debug log\r\n\r\n1. TMainForm.FormCreate [09:00:00]\r\n";
    QVERIFY(writeFile(m_path, old));
    SharedSrc::DebugLog("TMainForm.FormCreate");
    SharedSrc::DebugLog("SharedSrc.ErrorMsg");
    QCOMPARE(SharedSrc::LastTraceName(), u"SharedSrc.ErrorMsg"_s);
    QCOMPARE(readFile(m_path), old);
}

QTEST_GUILESS_MAIN(TestDebugLogOff)
#include "tst_debuglog_off.moc"
