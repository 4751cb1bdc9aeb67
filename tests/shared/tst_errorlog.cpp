#include "TestFiles.h"

#include "shared/ErrorLog.h"

#include "shared/AnsiText.h"
#include "shared/FileSizeLimit.h"
#include "shared/PlantedFiles.h"
#include "shared/Version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Separator(80, '-');

QByteArray expectedReport(const FailureReport& report)
{
    return Separator + "\r\n" + "Class name: " + AnsiText::fromUnicode(report.className) + "\r\n" +
           "Function: " + AnsiText::fromUnicode(report.function) + "\r\n" +
           "Error message: " + AnsiText::fromUnicode(report.message) + "\r\n" + Separator + "\r\n\r\n";
}

const FailureReport AccessViolation{u"EAccessViolation"_s, u"TMainForm.FormCreate"_s,
                                    u"Access violation at address 00000000"_s};

} // namespace

class TestErrorLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void newLogStartsWithHeader_data();
    void newLogStartsWithHeader();
    void secondReportHasNoHeader();
    void existingLogIsAppendedTo_data();
    void existingLogIsAppendedTo();
    void chineseTextIsWrittenInTheCodePage();

    void unwritablePlaceFails_data();
    void unwritablePlaceFails();
    void failedNewLogLeavesNoFile();
    void failedAppendLeavesLogAsItWas();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestErrorLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"ErrorLog.txt"_s);
}

void TestErrorLog::newLogStartsWithHeader_data()
{
    QTest::addColumn<SystemDescription>("system");
    QTest::addColumn<QByteArray>("systemLines");

    QTest::newRow("with product name")
        << SystemDescription{u"Debian GNU/Linux 12 (bookworm)"_s, u"6.1 Build 0 18-amd64"_s}
        << QByteArray(
               "Windows name: Debian GNU/Linux 12 (bookworm)\r\nWindows version: 6.1 Build 0 18-amd64\r\n");
    QTest::newRow("without product name") << SystemDescription{std::nullopt, u"5.4 Build 0 "_s}
                                          << QByteArray("Windows version: 5.4 Build 0 \r\n");
}

void TestErrorLog::newLogStartsWithHeader()
{
    QFETCH(SystemDescription, system);
    QFETCH(QByteArray, systemLines);

    QVERIFY(ErrorLog::appendReport(m_path, system, AccessViolation));

    const QByteArray expected = QByteArray("Quillet error log.\r\n") + "You can send this file to " +
                                Quillet::ContactEmail + "\r\n\r\n" + Separator + "\r\n" +
                                "Version: 1.54\r\n" + systemLines + Separator + "\r\n\r\n" +
                                expectedReport(AccessViolation);
    QCOMPARE(readFile(m_path), expected);
}

void TestErrorLog::secondReportHasNoHeader()
{
    const SystemDescription system{u"Some Linux"_s, u"6.1 Build 0 x"_s};
    const FailureReport second{u"std::bad_alloc"_s, u"SharedSrc.ErrorMsg"_s, u"std::bad_alloc"_s};

    QVERIFY(ErrorLog::appendReport(m_path, system, AccessViolation));
    const QByteArray first = readFile(m_path);
    QVERIFY(ErrorLog::appendReport(m_path, system, second));

    const QByteArray both = readFile(m_path);
    QCOMPARE(both, first + expectedReport(second));
    QCOMPARE(both.count("Quillet error log."), 1);
}

void TestErrorLog::existingLogIsAppendedTo_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("between");

    // Whatever is there stays byte for byte; a last line without a break is ended first.
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("ends with CR LF") << QByteArray("old report\r\n") << QByteArray();
    QTest::newRow("ends with LF") << QByteArray("one\ntwo\n") << QByteArray();
    QTest::newRow("ends with CR") << QByteArray("one\r") << QByteArray();
    QTest::newRow("no break at the end") << QByteArray("one\r\ntwo") << QByteArray("\r\n");
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe junk", 9) << QByteArray("\r\n");
}

void TestErrorLog::existingLogIsAppendedTo()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, between);

    QVERIFY(writeFile(m_path, existing));
    QVERIFY(
        ErrorLog::appendReport(m_path, SystemDescription{std::nullopt, u"1.0 Build 0 "_s}, AccessViolation));
    QCOMPARE(readFile(m_path), existing + between + expectedReport(AccessViolation));
}

void TestErrorLog::chineseTextIsWrittenInTheCodePage()
{
    const FailureReport report{u"EReadError"_s, u"TMainForm.OpenFile"_s, u"文件已损坏：“笔记.qlt”"_s};
    const SystemDescription system{u"深度操作系统 20"_s, u"5.10 Build 0 "_s};

    QVERIFY(ErrorLog::appendReport(m_path, system, report));

    const QByteArray bytes = readFile(m_path);
    // GB18030: two bytes per Chinese character, not UTF-8's three.
    const QByteArray message =
        QByteArray("Error message: ") +
        "\xce\xc4\xbc\xfe\xd2\xd1\xcb\xf0\xbb\xb5\xa3\xba\xa1\xb0\xb1\xca\xbc\xc7.qlt\xa1\xb1" + "\r\n";
    QVERIFY2(bytes.contains(message), bytes.constData());
    QVERIFY(bytes.contains("Windows name: \xc9\xee\xb6\xc8\xb2\xd9\xd7\xf7\xcf\xb5\xcd\xb3 20\r\n"));
    QVERIFY(!bytes.contains(report.message.toUtf8()));
    QCOMPARE(AnsiText::toUnicode(bytes).count(report.message), 1);
}

void TestErrorLog::unwritablePlaceFails_data()
{
    PlantedFiles::addRows();
}

void TestErrorLog::unwritablePlaceFails()
{
    QFETCH(QString, relativePath);
    PlantedFiles::plant(m_dir->path());
    QVERIFY(!ErrorLog::appendReport(m_dir->filePath(relativePath), SystemDescription{}, AccessViolation));
    PlantedFiles::verifyUntouched(m_dir->path());

    if (QFile::exists(u"/dev/full"_s))
        QVERIFY(!ErrorLog::appendReport(u"/dev/full"_s, SystemDescription{}, AccessViolation));
}

void TestErrorLog::failedNewLogLeavesNoFile()
{
#ifdef Q_OS_UNIX
    {
        FileSizeLimit limit(100); // less than the header
        QVERIFY(limit.active());
        QVERIFY(!ErrorLog::appendReport(m_path, SystemDescription{}, AccessViolation));
    }
    QVERIFY(!QFile::exists(m_path));

    // Once the space is there, the next report makes a whole log, header included.
    QVERIFY(ErrorLog::appendReport(m_path, SystemDescription{}, AccessViolation));
    QVERIFY(readFile(m_path).startsWith("Quillet error log.\r\n"));
    QVERIFY(readFile(m_path).endsWith(expectedReport(AccessViolation)));
#else
    QSKIP("Needs a file size limit.");
#endif
}

void TestErrorLog::failedAppendLeavesLogAsItWas()
{
#ifdef Q_OS_UNIX
    const QByteArray existing = QByteArray("earlier reports\r\n").repeated(10);
    QVERIFY(writeFile(m_path, existing));
    {
        FileSizeLimit limit(existing.size() + 50); // room for part of the report only
        QVERIFY(limit.active());
        QVERIFY(!ErrorLog::appendReport(m_path, SystemDescription{}, AccessViolation));
    }
    QCOMPARE(readFile(m_path), existing);
#else
    QSKIP("Needs a file size limit.");
#endif
}

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
