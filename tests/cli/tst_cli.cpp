#include "TestFiles.h"
#include "TestNotes.h"

#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "document/StrongFormat.h"
#include "shared/AnsiText.h"
#include "shared/Cipher.h"
#include "shared/LocaleFormats.h"
#include "shared/TextFile.h"
#include "shared/Version.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QList<Note> sampleNotes()
{
    return {
        makeNote(u"买牛奶\r\n还有面包", u"高", false),
        makeNote(u"写报告", u"低", true),
        makeNote(u"\r\n没有标题", u"最高", false),
    };
}

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray errLine(QStringView message)
{
    return message.toUtf8() + '\n';
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void helpGoesToStdout();
    void usageErrors_data();
    void usageErrors();

    void listPlain();
    void listJson();
    void showPrintsFullText();
    void numberOutOfRange_data();
    void numberOutOfRange();

    void addCreatesFile();
    void addOptions_data();
    void addOptions();
    void addKeepsReservedAndPassword();
    void writtenFileMatchesFormatWriter();
    void addToUnwritableFolder();
    void doneToggles();
    void rmRemovesNote();
    void importAppendsInOrder();
    void importPasswordOrder();
    void importMissingOther();

    void exportToFile();
    void exportToStdout_data();
    void exportToStdout();
    void exportFailures();

    void passwdChanges_data();
    void passwdChanges();
    void passwordNeedsTerminalOrStdin();
    void passwdRefusals_data();
    void passwdRefusals();
    void passwordNotInTerminalEncoding_data();
    void passwordNotInTerminalEncoding();
    void gb18030Locale();

    void wrongPassword_data();
    void wrongPassword();
    void passwordInputMissing();

    void unreadableFiles_data();
    void unreadableFiles();
    void windowLockHonoured();
    void parallelWritersLoseNothing();
    void changedSinceReadRefused();
    void systemReasonOnSecondLine_data();
    void systemReasonOnSecondLine();

    void missingFile_data();
    void missingFile();

private:
    CliRun run(const QStringList& arguments, const QByteArray& input = {});
    // As a user whom file permissions bind: root runs it as nobody.
    CliRun runUnprivileged(const QStringList& arguments);
    CliRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString writeNotes(const QString& name, const QList<Note>& notes, const QByteArray& password = {},
                       quint32 reserved = 0);

    QTemporaryDir m_appDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_locale; // LC_ALL of the runs, when set
};

void TestCli::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_appDir.path()));
    QVERIFY(QFile::exists(QStringLiteral(QUILLET_CLI_PATH)));
}

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_locale.clear();
}

void TestCli::cleanup()
{
    m_dir.reset();
}

CliRun TestCli::run(const QStringList& arguments, const QByteArray& input)
{
    return runProgram(QStringLiteral(QUILLET_CLI_PATH), arguments, input);
}

CliRun TestCli::runUnprivileged(const QStringList& arguments)
{
#ifdef Q_OS_WIN
    return run(arguments);
#else
    if (::geteuid() != 0)
        return run(arguments);
    // The folders on the way must let that user through.
    QFile::setPermissions(m_dir->path(), QFile::permissions(m_dir->path()) | QFile::ExeOther);
    return runProgram(
        u"setpriv"_s,
        QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", QUILLET_CLI_PATH} + arguments, {});
#endif
}

CliRun TestCli::runProgram(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    if (!m_locale.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, QString::fromLatin1(m_locale));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    CliRun result;
    if (!process.waitForStarted())
        return result;
#ifdef Q_OS_WIN
    // A pipe here carries the ANSI code page both ways; the cases speak UTF-8.
    const auto fromUtf8 = [](const QByteArray& bytes) { return TextFile::encode(QString::fromUtf8(bytes)); };
    // JSON stays UTF-8; everything else comes in the code page.
    const auto toUtf8 = [](const QByteArray& bytes) { return TextFile::decode(bytes).toUtf8(); };
#else
    const auto fromUtf8 = [](const QByteArray& bytes) { return bytes; };
    const auto toUtf8 = fromUtf8;
#endif
    process.write(fromUtf8(input));
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = toUtf8(process.readAllStandardOutput());
    result.err = toUtf8(process.readAllStandardError());
    return result;
}

QString TestCli::writeNotes(const QString& name, const QList<Note>& notes, const QByteArray& password,
                            quint32 reserved)
{
    const QString file = path(name);
    if (!writeFile(file, QltFormat::write(notes, password, reserved)))
        return {};
    return file;
}

void TestCli::helpGoesToStdout()
{
    const CliRun result = run({u"--help"_s});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("用法: quillet-cli"));
    QVERIFY(result.out.contains("--password-stdin"));
    QVERIFY(result.err.isEmpty());

    const CliRun version = run({u"--version"_s});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("quillet-cli (Quillet) ") + Quillet::ProgramVersion + "\n");
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate", "a.qlt"};
    QTest::newRow("list without file") << QStringList{"list"};
    QTest::newRow("list too many") << QStringList{"list", "a.qlt", "b.qlt"};
    QTest::newRow("show without number") << QStringList{"show", "a.qlt"};
    QTest::newRow("show not a number") << QStringList{"show", "a.qlt", "x"};
    QTest::newRow("done signed number") << QStringList{"done", "a.qlt", "+1"};
    QTest::newRow("add without text") << QStringList{"add", "a.qlt"};
    QTest::newRow("priority 4") << QStringList{"add", "a.qlt", "t", "--priority", "4"};
    QTest::newRow("priority word") << QStringList{"add", "a.qlt", "t", "--priority=high"};
    QTest::newRow("priority missing") << QStringList{"add", "a.qlt", "t", "--priority"};
    QTest::newRow("json on show") << QStringList{"show", "a.qlt", "1", "--json"};
    QTest::newRow("done option on list") << QStringList{"list", "a.qlt", "--done"};
    QTest::newRow("unknown option") << QStringList{"list", "a.qlt", "--verbose"};
    QTest::newRow("import one file") << QStringList{"import", "a.qlt"};
    QTest::newRow("passwd extra") << QStringList{"passwd", "a.qlt", "secret"};
    QTest::newRow("unknown encoding") << QStringList{"export", "a.qlt", "--encoding", "latin1"};
    QTest::newRow("encoding missing") << QStringList{"export", "a.qlt", "--encoding"};
    QTest::newRow("encoding on list") << QStringList{"list", "a.qlt", "--encoding=utf-8"};
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    // The call is refused before any file is read or made.
    const CliRun result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains("用法: quillet-cli"), result.err.constData());
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestCli::listPlain()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const CliRun result = run({u"list"_s, file});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), u"1. [ ] 高 买牛奶\n"
                                            "2. [x] 低 写报告\n"
                                            "3. [ ] 最高 \n"_s);
    QVERIFY(result.err.isEmpty());

    // Read from bytes made without our writer; é · and Greek and Cyrillic letters are two bytes both in
    // GB18030 and in UTF-8.
    const QString golden = path(u"golden.qlt"_s);
    QVERIFY(writeFile(golden, ::golden(u"plain.qlt")));
    const CliRun listedGolden = run({u"list"_s, golden});
    QCOMPARE(listedGolden.exitCode, 0);
    QCOMPARE(QString::fromUtf8(listedGolden.out), u"1. [ ] 高 购物清单\n"
                                                  "2. [x] 低 \n"
                                                  "3. [x] 最高 Café · Ωμεγα · Кириллица\n"
                                                  "4. [ ] 标准 last\n"_s);
    const CliRun exported = run({u"export"_s, golden});
    QCOMPARE(exported.exitCode, 0);
    QVERIFY(exported.out.contains(u"\r\nCafé · Ωμεγα · Кириллица\r\n"_s.toUtf8()));

    const QString empty = writeNotes(u"empty.qlt"_s, {});
    const CliRun listedEmpty = run({u"list"_s, empty});
    QCOMPARE(listedEmpty.exitCode, 0);
    QVERIFY(listedEmpty.out.isEmpty());
    const CliRun jsonEmpty = run({u"list"_s, empty, u"--json"_s});
    QCOMPARE(jsonEmpty.exitCode, 0);
    QCOMPARE(jsonEmpty.out, QByteArray("[]\n"));
}

void TestCli::listJson()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const CliRun result = run({u"list"_s, file, u"--json"_s});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.endsWith('\n'));
    QCOMPARE(result.out.count('\n'), 1);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(result.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(json.isArray());
    const QJsonArray array = json.array();
    QCOMPARE(array.size(), 3);
    const struct
    {
        QString text;
        int priority;
        bool done;
    } expected[] = {
        {u"买牛奶\r\n还有面包"_s, 2, false},
        {u"写报告"_s, 0, true},
        {u"\r\n没有标题"_s, 3, false},
    };
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject object = array.at(i).toObject();
        QCOMPARE(object.size(), 3);
        QCOMPARE(object.value(u"text"_s).toString(), expected[i].text);
        QCOMPARE(object.value(u"priority"_s).toInt(-1), expected[i].priority);
        QVERIFY(object.value(u"done"_s).isBool());
        QCOMPARE(object.value(u"done"_s).toBool(), expected[i].done);
    }
}

void TestCli::showPrintsFullText()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"密码"));
    CliRun result = run({u"show"_s, file, u"1"_s, u"--password-stdin"_s}, u"密码\n"_s.toUtf8());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), u"买牛奶\n还有面包\n"_s);
    result = run({u"show"_s, file, u"3"_s, u"--password-stdin"_s}, u"密码\r\n"_s.toUtf8());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), u"\n没有标题\n"_s);
}

void TestCli::numberOutOfRange_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("number");
    QTest::newRow("zero") << u"show"_s << u"0"_s;
    QTest::newRow("one past") << u"show"_s << u"4"_s;
    QTest::newRow("huge") << u"show"_s << u"99999999999999999999999"_s;
    QTest::newRow("done one past") << u"done"_s << u"4"_s;
    QTest::newRow("rm one past") << u"rm"_s << u"4"_s;
}

void TestCli::numberOutOfRange()
{
    QFETCH(QString, command);
    QFETCH(QString, number);
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QByteArray before = readFile(file);
    const CliRun result = run({command, file, number});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(QString::fromUtf8(result.err), u"没有第 %1 条记事本。\n"_s.arg(number));
    QCOMPARE(readFile(file), before);
}

void TestCli::addCreatesFile()
{
    const QString file = path(u"new.qlt"_s);
    const CliRun result = run({u"add"_s, file, u"第一行\n第二行"_s});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    // A new file starts unprotected and empty; the argument's LF is stored as CR LF.
    const QList<Note> expected = {makeNote(u"第一行\r\n第二行", u"标准", false)};
    QCOMPARE(readFile(file), QltFormat::write(expected, {}, 0));
#ifndef Q_OS_WIN // where a new file takes the rights of its folder
    QCOMPARE(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
#endif

    const CliRun listed = run({u"list"_s, file});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(QString::fromUtf8(listed.out), u"1. [ ] 标准 第一行\n"_s);
}

void TestCli::addOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<bool>("done");
    QTest::newRow("defaults") << QStringList{} << u"标准"_s << false;
    QTest::newRow("low") << QStringList{"--priority", "0"} << u"低"_s << false;
    QTest::newRow("high done") << QStringList{"--priority", "2", "--done"} << u"高"_s << true;
    QTest::newRow("highest joined") << QStringList{"--priority=3"} << u"最高"_s << false;
    QTest::newRow("done first") << QStringList{"--done"} << u"标准"_s << true;
}

void TestCli::addOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QString, priority);
    QFETCH(bool, done);
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const CliRun result = run(QStringList{u"add"_s, file, u"新的"_s} + options);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(notesIn(file), sampleNotes() << makeNote(u"新的", priority, done));
}

void TestCli::addKeepsReservedAndPassword()
{
    // Longer than a user may set (another program wrote it), byte 100 inside a character: kept whole.
    const QString typed = u'a' + QString(60, u'秘');
    const QByteArray password = gb(typed);
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), password, 0xDEADBEEF);
    const CliRun result = run({u"add"_s, file, u"-dash"_s, u"--password-stdin"_s}, (typed + u'\n').toUtf8());
    QCOMPARE(result.exitCode, 1); // "-dash" is taken for an option
    const CliRun added =
        run({u"add"_s, u"--password-stdin"_s, file, u"--"_s, u"-dash"_s}, (typed + u'\n').toUtf8());
    QCOMPARE(added.exitCode, 0);
    QList<Note> expected = sampleNotes();
    expected.append(makeNote(u"-dash", u"标准", false));
    QCOMPARE(readFile(file), QltFormat::write(expected, password, 0xDEADBEEF));
}

void TestCli::writtenFileMatchesFormatWriter()
{
    const QString file = path(u"a.qlt"_s);
    const QStringList texts = {u"普通"_s, QString(), u"😀 outside GBK\n€"_s};
    for (const QString& text : texts)
        QCOMPARE(run({u"add"_s, file, text, u"--priority=0"_s}).exitCode, 0);
    QCOMPARE(run({u"done"_s, file, u"2"_s}).exitCode, 0);
    const QList<Note> expected = {
        makeNote(u"普通", u"低", false),
        makeNote(u"", u"低", true),
        makeNote(u"😀 outside GBK\r\n€", u"低", false),
    };
    QCOMPARE(readFile(file), QltFormat::write(expected, {}, 0));
}

void TestCli::addToUnwritableFolder()
{
    const QString file = path(u"no-such-folder/a.qlt"_s);
    const CliRun result = run({u"add"_s, file, u"x"_s});
    QCOMPARE(result.exitCode, 2);
#ifdef Q_OS_WIN
    const QString reason = qt_error_string(3); // ERROR_PATH_NOT_FOUND
#else
    const QString reason = u"No such file or directory"_s;
#endif
    QCOMPARE(result.err, errLine(u"保存文件时发生错误。文件可能正在被使用。\n"_s + reason));
    QVERIFY(!QFile::exists(file));
}

void TestCli::doneToggles()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), {}, 7);
    QCOMPARE(run({u"done"_s, file, u"1"_s}).exitCode, 0);
    QCOMPARE(run({u"done"_s, file, u"2"_s}).exitCode, 0);
    QList<Note> expected = sampleNotes();
    expected[0].imageIndex = Note::ImageDone;
    expected[1].imageIndex = Note::ImageNotDone;
    QCOMPARE(readFile(file), QltFormat::write(expected, {}, 7));
    QCOMPARE(run({u"done"_s, file, u"1"_s}).exitCode, 0);
    expected[0].imageIndex = Note::ImageNotDone;
    QCOMPARE(readFile(file), QltFormat::write(expected, {}, 7));
}

void TestCli::rmRemovesNote()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"pw"), 3);
    const CliRun result = run({u"rm"_s, file, u"2"_s, u"--password-stdin"_s}, "pw\n");
    QCOMPARE(result.exitCode, 0);
    QList<Note> expected = sampleNotes();
    expected.removeAt(1);
    QCOMPARE(readFile(file), QltFormat::write(expected, gb(u"pw"), 3));
}

void TestCli::importAppendsInOrder()
{
    const QList<Note> own = {makeNote(u"一", u"低", false), makeNote(u"二", u"高", true)};
    const QString file = writeNotes(u"a.qlt"_s, own, {}, 5);
    const QString other = writeNotes(u"b.qlt"_s, sampleNotes(), gb(u"别的"));
    const QByteArray otherBefore = readFile(other);
    const CliRun result = run({u"import"_s, file, other, u"--password-stdin"_s}, u"别的\n"_s.toUtf8());
    QCOMPARE(result.exitCode, 0);
    // The document keeps its own (absent) password and Reserved value; the other file is not touched.
    QCOMPARE(readFile(file), QltFormat::write(own + sampleNotes(), {}, 5));
    QCOMPARE(readFile(other), otherBefore);
}

void TestCli::importPasswordOrder()
{
    const QList<Note> own = {makeNote(u"自己的", u"标准", false)};
    const QString file = writeNotes(u"a.qlt"_s, own, gb(u"甲"));
    const QString other = writeNotes(u"b.qlt"_s, sampleNotes(), gb(u"乙"));
    const QByteArray before = readFile(file);

    const CliRun swapped = run({u"import"_s, file, other, u"--password-stdin"_s}, u"乙\n甲\n"_s.toUtf8());
    QCOMPARE(swapped.exitCode, 2);
    QCOMPARE(swapped.err, errLine(u"密码不正确。"));
    QCOMPARE(readFile(file), before);

    const CliRun ordered = run({u"import"_s, file, other, u"--password-stdin"_s}, u"甲\n乙\n"_s.toUtf8());
    QCOMPARE(ordered.exitCode, 0);
    QCOMPARE(readFile(file), QltFormat::write(own + sampleNotes(), gb(u"甲"), 0));
}

void TestCli::importMissingOther()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QByteArray before = readFile(file);
    const QString other = path(u"gone.qlt"_s);
    const CliRun result = run({u"import"_s, file, other});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err), u"文件不存在:\n"_s + other + u'\n');
    QCOMPARE(readFile(file), before);
}

namespace {

// Checks a report written by the CLI between `before` and `after` against its expected lines, the time
// line apart, which must carry a date and time of the run.
void verifyReport(const QByteArray& report, const QList<QByteArray>& expectedLines, const QDateTime& before,
                  const QDateTime& after)
{
    QVERIFY(report.endsWith("\r\n"));
    QCOMPARE(report.count('\n'), report.count("\r\n"));
    QList<QByteArray> lines = report.split('\n');
    lines.removeLast(); // after the final CR LF
    for (QByteArray& line : lines) {
        QVERIFY(line.endsWith('\r'));
        line.chop(1);
    }
    QCOMPARE(lines.size(), expectedLines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i != 1)
            QCOMPARE(lines.at(i), expectedLines.at(i));
    }
    bool stampFound = false;
    for (QDateTime t = before.addMSecs(-before.time().msec()); t <= after && !stampFound; t = t.addSecs(1)) {
        const QByteArray stamp = gb(u"生成时间: "_s + LocaleFormats::shortDate(t.date()) + u' ' +
                                    LocaleFormats::longTime(t.time()) + u" - Quillet v1.54"_s);
        stampFound = lines.at(1) == stamp;
    }
    QVERIFY2(stampFound, lines.at(1).toHex().constData());
}

QList<QByteArray> expectedSampleReport()
{
    return {
        gb(u"记事本列表"),
        {}, // time line
        gb(u"总计: 3 完成: 1 未完成: 2"),
        QByteArray(80, '-'),
        {},
        {},
        gb(u"[ 状态: 未完成  优先级: 高 ]"),
        QByteArray(80, '='),
        gb(u"买牛奶"),
        gb(u"还有面包"),
        QByteArray(80, '='),
        {},
        gb(u"[ 状态: 完成  优先级: 低 ]"),
        QByteArray(80, '='),
        gb(u"写报告"),
        QByteArray(80, '='),
        {},
        gb(u"[ 状态: 未完成  优先级: 最高 ]"),
        QByteArray(80, '='),
        {},
        gb(u"没有标题"),
        QByteArray(80, '='),
    };
}

} // namespace

void TestCli::exportToFile()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QByteArray notesBefore = readFile(file);
    const QString out = path(u"report.txt"_s);
    const QDateTime before = QDateTime::currentDateTime();
    const CliRun result = run({u"export"_s, file, out});
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.isEmpty());
    // The system's encoding unless another is asked for: the locale's, UTF-8, on Linux, the ANSI code page on
    // Windows.
    verifyReport(gb(QString::fromLocal8Bit(readFile(out))), expectedSampleReport(), before, after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(readFile(file), notesBefore);
    for (const QStringList& option :
         {QStringList{"--encoding", "gb18030"}, QStringList{"--encoding=GB18030"}}) {
        QCOMPARE(run(QStringList{u"export"_s, file, out} + option).exitCode, 0);
        verifyReport(readFile(out), expectedSampleReport(), before, QDateTime::currentDateTime());
    }
    QCOMPARE(run({u"export"_s, u"--encoding=utf-8"_s, file, out}).exitCode, 0);
    verifyReport(gb(QString::fromUtf8(readFile(out))), expectedSampleReport(), before,
                 QDateTime::currentDateTime());

    // An empty list gives the first four lines only.
    const QString empty = writeNotes(u"empty.qlt"_s, {});
    const QDateTime emptyBefore = QDateTime::currentDateTime();
    QCOMPARE(run({u"export"_s, empty, out}).exitCode, 0);
    const QList<QByteArray> emptyLines = {
        gb(u"记事本列表"), {}, gb(u"总计: 0 完成: 0 未完成: 0"), QByteArray(80, '-')};
    verifyReport(gb(QString::fromLocal8Bit(readFile(out))), emptyLines, emptyBefore,
                 QDateTime::currentDateTime());

    // The report of a protected list is as private as the list.
    const QString guarded = writeNotes(u"guarded.qlt"_s, sampleNotes(), "pw");
    const QString privateOut = path(u"private.txt"_s);
    QCOMPARE(run({u"export"_s, guarded, privateOut, u"--password-stdin"_s}, "pw\n").exitCode, 0);
#ifdef Q_OS_WIN
    QSKIP("no owner-only permission bits here: a new file takes the rights of its folder");
#endif
    QCOMPARE(QFile::permissions(privateOut) & 0x7077,
             QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) & 0x7077);
}

void TestCli::exportToStdout_data()
{
    QTest::addColumn<QStringList>("out");
    QTest::newRow("no OUT") << QStringList{};
    // Written into, never replaced by a file.
    QTest::newRow("/dev/stdout") << QStringList{"/dev/stdout"};
}

void TestCli::exportToStdout()
{
    QFETCH(QStringList, out);
#ifdef Q_OS_WIN
    if (!out.isEmpty())
        QSKIP("no file name leads to the standard output here");
#endif
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"口令"));
    const QDateTime before = QDateTime::currentDateTime();
    const CliRun result =
        run(QStringList{u"export"_s, u"--password-stdin"_s, file} + out, u"口令\n"_s.toUtf8());
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    verifyReport(gb(QString::fromUtf8(result.out)), expectedSampleReport(), before, after);
}

void TestCli::exportFailures()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QByteArray before = readFile(file);

    const CliRun unwritable = run({u"export"_s, file, path(u"none/r.txt"_s)});
    QCOMPARE(unwritable.exitCode, 2);
    QCOMPARE(unwritable.err, errLine(u"无法导出文件。"));

    // Reaching the notes file by another name must not overwrite it with its report.
    const CliRun itself = run({u"export"_s, file, m_dir->path() + u"/./"_s + u"a.qlt"_s});
    QCOMPARE(itself.exitCode, 2);
    QCOMPARE(itself.err, errLine(u"不能把报告导出到记事本文件本身。"));
    QCOMPARE(readFile(file), before);
}

void TestCli::passwdChanges_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("currentStrong");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<bool>("strong"); // what the file is afterwards

    const QStringList none;
    const QStringList classic{u"--classic"_s};
    const QStringList strong{u"--strong"_s};
    QTest::newRow("set: strong unless told")
        << QString() << false << none << u"\n新密码1\n新密码1\n"_s.toUtf8() << u"新密码1"_s << true;
    QTest::newRow("set classic") << QString() << false << classic << u"\n新密码1\n新密码1\n"_s.toUtf8()
                                 << u"新密码1"_s << false;
    QTest::newRow("change, CR LF lines: classic stays classic")
        << u"旧的"_s << false << none << u"旧的\r\nnew pass\r\nnew pass\r\n"_s.toUtf8() << u"new pass"_s
        << false;
    QTest::newRow("classic made strong")
        << u"旧的"_s << false << strong << u"旧的\nnew pass\nnew pass\n"_s.toUtf8() << u"new pass"_s << true;
    QTest::newRow("strong stays strong")
        << u"旧的"_s << true << none << u"旧的\nnew pass\nnew pass\n"_s.toUtf8() << u"new pass"_s << true;
    QTest::newRow("strong made classic, same password")
        << u"旧的"_s << true << classic << u"旧的\n旧的\n旧的\n"_s.toUtf8() << u"旧的"_s << false;
    QTest::newRow("remove") << u"new pass"_s << false << none << QByteArray("new pass\n\n\n") << QString()
                            << false;
    QTest::newRow("remove strong") << u"new pass"_s << true << strong << QByteArray("new pass\n\n\n")
                                   << QString() << false;
    for (const QString& limit : {QString(100, u'k'), QString(50, u'密')}) {
        QCOMPARE(gb(limit).size(), 100);
        QTest::addRow("100 bytes, %d characters", int(limit.size()))
            << QString() << false << classic << (u'\n' + limit + u'\n' + limit + u'\n').toUtf8() << limit
            << false;
    }
}

void TestCli::passwdChanges()
{
    QFETCH(QString, current);
    QFETCH(bool, currentStrong);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, input);
    QFETCH(QString, changed);
    QFETCH(bool, strong);
    const QString file =
        currentStrong ? path(u"a.qlt"_s) : writeNotes(u"a.qlt"_s, sampleNotes(), gb(current), 42);
    if (currentStrong)
        QVERIFY(writeFile(file, strongFile(sampleNotes(), gb(current), 42)));
    const CliRun result = run(QStringList{u"passwd"_s, file, u"--password-stdin"_s} + options, input);
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    const QByteArray written = readFile(file);
    QCOMPARE(StrongFormat::isStrong(written), strong);
    if (strong)
        QCOMPARE(notesIn(file, gb(changed)), sampleNotes());
    else
        QCOMPARE(written, QltFormat::write(sampleNotes(), gb(changed), 42));
    QCOMPARE(QltFormat::readHeader(written).header.reserved, 42u);

    const CliRun listed = changed.isEmpty()
                              ? run({u"list"_s, file})
                              : run({u"list"_s, file, u"--password-stdin"_s}, (changed + u'\n').toUtf8());
    QCOMPARE(listed.exitCode, 0);
    QVERIFY(listed.out.startsWith(u"1. [ ] 高 买牛奶\n"_s.toUtf8()));
}

// Without a terminal and without --password-stdin nothing is read and nothing is shown.
void TestCli::passwordNeedsTerminalOrStdin()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"新密码1"));
    const CliRun noTerminal = run({u"list"_s, file}, u"新密码1\n"_s.toUtf8());
    QCOMPARE(noTerminal.exitCode, 2);
    QVERIFY(noTerminal.out.isEmpty());
    QCOMPARE(noTerminal.err, errLine(u"需要输入密码: 请在终端中运行，或使用 --password-stdin。"));
}

void TestCli::passwdRefusals_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    const auto s = [](const char* utf8) { return QString::fromUtf8(utf8); };
    const QString tooLong = QString(101, u'x');
    const QString tooLongChinese = QString(51, u'长');
    const QString wrongOld = s("旧密码不正确。");
    const QString differ = s("密码不匹配。");
    const QString length = s("密码长度不能大于 100 位。");
    QTest::newRow("old wrong") << s("Secret") << s("wrong\na\na\n") << wrongOld;
    QTest::newRow("old differs in case") << s("Secret") << s("secret\na\na\n") << wrongOld;
    QTest::newRow("old given for unprotected") << QString() << s("x\na\na\n") << wrongOld;
    QTest::newRow("old empty for protected") << s("Secret") << s("\n\n\n") << wrongOld;
    QTest::newRow("mismatch") << QString() << s("\nabc\nabc \n") << differ;
    QTest::newRow("101 bytes") << s("Secret") << s("Secret\n") + tooLong + u'\n' + tooLong + u'\n' << length;
    QTest::newRow("51 Chinese characters")
        << QString() << u'\n' + tooLongChinese + u'\n' + tooLongChinese + u'\n' << length;
    QTest::newRow("old checked before mismatch") << s("Secret") << s("bad\na\nb\n") << wrongOld;
    QTest::newRow("mismatch before length")
        << QString() << u'\n' + tooLong + u'\n' + tooLong + s("y\n") << differ;
    QTest::newRow("repeat missing") << QString() << s("\nabc\n") << s("标准输入中缺少密码行。");
}

void TestCli::passwdRefusals()
{
    QFETCH(QString, current);
    QFETCH(QString, input);
    QFETCH(QString, message);
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(current), 11);
    const QByteArray before = readFile(file);
    const CliRun result = run({u"passwd"_s, file, u"--password-stdin"_s}, input.toUtf8());
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err), message + u'\n');
    QCOMPARE(readFile(file), before);
}

void TestCli::passwordNotInTerminalEncoding_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("password");
    // "密码" typed in a GBK terminal: not UTF-8, and no four replacement characters that any four other
    // invalid bytes would match.
    QTest::newRow("GBK bytes, UTF-8 locale") << QByteArray("C.UTF-8") << QByteArray("\xc3\xdc\xc2\xeb");
    QTest::newRow("GBK bytes, C locale") << QByteArray("C") << QByteArray("\xc3\xdc\xc2\xeb");
    QTest::newRow("cut UTF-8 character") << QByteArray("C.UTF-8") << QByteArray("ab\xe5\xaf");
}

void TestCli::passwordNotInTerminalEncoding()
{
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, password);
#ifdef Q_OS_WIN
    QSKIP("the terminal's encoding here is the console's code page, not the locale these rows set");
#endif
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QByteArray before = readFile(file);
    m_locale = locale;
    const CliRun result =
        run({u"passwd"_s, file, u"--password-stdin"_s}, '\n' + password + '\n' + password + '\n');
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, errLine(u"密码不是终端编码 (UTF-8) 的有效文本。"));
    QCOMPARE(readFile(file), before);
}

void TestCli::gb18030Locale()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no locale character set of its own; its ANSI code page is tested on its own");
#endif
    if (QProcess::execute(u"sh"_s, {u"-c"_s, u"locale -a | grep -qix zh_CN.gb18030"_s}) != 0)
        QSKIP("needs the zh_CN.GB18030 locale (scripts/test.sh makes it)");
    m_locale = "zh_CN.GB18030";
    // Terminal output, passwords typed and text files all in the locale's encoding, not in UTF-8.
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"口令"));
    const CliRun listed = run({u"list"_s, file, u"--password-stdin"_s}, gb(u"口令\n"));
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out, gb(u"1. [ ] 高 买牛奶\n2. [x] 低 写报告\n3. [ ] 最高 \n"));
    const QString out = path(u"report.txt"_s);
    QCOMPARE(run({u"export"_s, file, out, u"--password-stdin"_s}, gb(u"口令\n")).exitCode, 0);
    const QByteArray report = readFile(out);
    QVERIFY(report.startsWith(gb(u"记事本列表\r\n生成时间: ")));
    QVERIFY(report.contains(gb(u"还有面包")));
    const CliRun missing = run({u"list"_s, path(u"无.qlt"_s)});
    QCOMPARE(missing.exitCode, 2);
    QCOMPARE(missing.err, gb(u"文件不存在:\n"_s + path(u"无.qlt"_s) + u'\n'));
}

void TestCli::wrongPassword_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("strong");
    QTest::newRow("list") << QStringList{"list"} << false;
    QTest::newRow("list json") << QStringList{"list", "--json"} << false;
    QTest::newRow("show") << QStringList{"show", "1"} << false;
    QTest::newRow("export") << QStringList{"export"} << false;
    QTest::newRow("add") << QStringList{"add", "text"} << false;
    QTest::newRow("done") << QStringList{"done", "1"} << false;
    QTest::newRow("rm") << QStringList{"rm", "1"} << false;
    QTest::newRow("list, strong") << QStringList{"list"} << true;
    QTest::newRow("add, strong") << QStringList{"add", "text"} << true;
}

void TestCli::wrongPassword()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, strong);
    const QString file = path(u"a.qlt"_s);
    QVERIFY(writeFile(file,
                      strong ? strongFile(sampleNotes(), "secret12") : notesFile(sampleNotes(), "secret12")));
    const QByteArray before = readFile(file);
    arguments.insert(1, file);
    arguments.append(u"--password-stdin"_s);
    // "secret13" shares the check value of "secret12"; the classic notes it deciphers give it away, but
    // only as far as a damaged file would.
    const QString sharedCheck = strong ? u"密码不正确。"_s : u"密码不正确或文件已损坏。"_s;
    for (const auto& [typed, message] :
         {std::pair(u"错误\n"_s, u"密码不正确。"_s), std::pair(u"\n"_s, u"密码不正确。"_s),
          std::pair(u"secret12 \n"_s, u"密码不正确。"_s), std::pair(u"secret13\n"_s, sharedCheck)}) {
        const CliRun result = run(arguments, typed.toUtf8());
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.err, errLine(message));
        QCOMPARE(readFile(file), before);
    }
}

void TestCli::passwordInputMissing()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), gb(u"pw"));
    const QByteArray before = readFile(file);
    const CliRun result = run({u"add"_s, file, u"x"_s, u"--password-stdin"_s});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, errLine(u"标准输入中缺少密码行。"));
    QCOMPARE(readFile(file), before);
}

void TestCli::unreadableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QByteArray good = QltFormat::write(sampleNotes(), {}, 0);
    const QString damaged = u"打开文件时发生错误。文件可能已损坏。"_s;
    QTest::newRow("record cut short") << good.first(good.size() - 3) << damaged;
    QTest::newRow("fixed part cut short") << good.first(QltFormat::StreamOffset + 5) << damaged;
    QTest::newRow("header cut short") << good.first(10) << damaged;
    const QByteArray hugeRecord("\xff\xff\xff\xff\x01\x00\x00\x00", 8);
    const QByteArray huge =
        QltFormat::write({}, {}, 0) + SharedSrc::XORCrypt(hugeRecord, QByteArray(SharedSrc::DefaultKey));
    QTest::newRow("TextLength near 2^32") << huge << damaged;
    QTest::newRow("bad signature") << QByteArray("hello, this is not a notes file")
                                   << u"这不是一个 Quillet 文件。"_s;
    QByteArray version3 = good;
    version3[6] = 3;
    QTest::newRow("version 3") << version3 << u"不兼容的文件版本 (3)"_s;
    QByteArray classicAsVersion2 = good;
    classicAsVersion2[6] = 2;
    QTest::newRow("classic bytes as version 2") << classicAsVersion2 << damaged;
    QTest::newRow("strong, parameters cut short")
        << strongFile(sampleNotes(), "pw").first(StrongFormat::PrefixSize - 1) << damaged;
    QByteArray version258 = good;
    version258[6] = 2;
    version258[7] = 1;
    QTest::newRow("version 258") << version258 << u"不兼容的文件版本 (258)"_s;
}

void TestCli::unreadableFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString file = path(u"bad.qlt"_s);
    QVERIFY(writeFile(file, bytes));
    const QString good = writeNotes(u"good.qlt"_s, sampleNotes());
    const QByteArray goodBefore = readFile(good);
    const QList<QStringList> calls = {
        {"list", file},     {"show", file, "1"},    {"export", file},
        {"add", file, "x"}, {"done", file, "1"},    {"rm", file, "1"},
        {"passwd", file},   {"import", file, good}, {"import", good, file},
    };
    for (const QStringList& call : calls) {
        const CliRun result = run(call, "\n\n\n");
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(QString::fromUtf8(result.err), message + u'\n');
        QCOMPARE(readFile(file), bytes);
        QCOMPARE(readFile(good), goodBefore);
    }
}

void TestCli::systemReasonOnSecondLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // FILE is inserted after the command
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("message");
    const QString damaged = u"打开文件时发生错误。文件可能已损坏。"_s;
    const QString cannotSave = u"保存文件时发生错误。文件可能正在被使用。"_s;
    QTest::newRow("a folder") << QStringList{"list"} << "folder" << damaged + "\nIs a directory";
    QTest::newRow("an unreadable file")
        << QStringList{"list"} << "unreadable" << damaged + "\nPermission denied";
    QTest::newRow("a writable file in a folder that is not")
        << QStringList{"add", "x"} << "folder not writable" << cannotSave + "\nPermission denied";
}

// The program's message stays; the system's reason tells which of its guesses is the real one.
void TestCli::systemReasonOnSecondLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, setUp);
    QFETCH(QString, message);
#ifdef Q_OS_WIN
    if (setUp != u"folder")
        QSKIP("no permission bits here keep a file from being read or a folder from being written");
#endif
    const QString folder = path(u"folder"_s);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    QString file = folder;
    if (setUp != u"folder") {
        file = writeNotes(u"folder/a.qlt"_s, sampleNotes());
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                         QFile::ReadOther | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(file, setUp == u"unreadable" ? QFile::Permissions() : all));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    }
    const QByteArray before = readFile(file);
    arguments.insert(1, file);
    const CliRun result = runUnprivileged(arguments);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err), message + u'\n');
    QCOMPARE(readFile(file), before);
}

void TestCli::missingFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("linkToItself"); // what stands at the path instead of a file
    QTest::newRow("list") << QStringList{"list"} << false;
    QTest::newRow("show") << QStringList{"show", "1"} << false;
    QTest::newRow("export") << QStringList{"export"} << false;
    QTest::newRow("done") << QStringList{"done", "1"} << false;
    QTest::newRow("rm") << QStringList{"rm", "1"} << false;
    QTest::newRow("passwd") << QStringList{"passwd"} << false;
    // add makes a missing file, but must not put one in the place of the link.
    QTest::newRow("add, link to itself") << QStringList{"add", "text"} << true;
}

void TestCli::missingFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, linkToItself);
    const QString file = path(u"不在这里.qlt"_s);
#ifdef Q_OS_WIN
    if (linkToItself)
        QSKIP("a link here is a shortcut file, which the program never follows");
#endif
    if (linkToItself)
        QVERIFY(QFile::link(file, file));
    arguments.insert(1, file);
    const CliRun result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err), u"文件不存在:\n"_s + file + u'\n');
    QVERIFY(!QFile::exists(file));
    QCOMPARE(QFileInfo(file).isSymLink(), linkToItself);
}

// A window (this process) has the file open: changes are refused unless forced, reading goes on.
void TestCli::windowLockHonoured()
{
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes());
    const QString other = writeNotes(u"b.qlt"_s, sampleNotes());
    const QByteArray before = readFile(file);
    NotesDocument window(NotesDocument::Locking::HoldFileLock);
    struct : NotesDocument::OpenQuestions
    {
        std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override { return {}; }
    } noQuestions;
    QCOMPARE(window.open(file, noQuestions).status, NotesDocument::OpenStatus::Opened);

    FileLock::Holder holder;
    holder.pid = QCoreApplication::applicationPid();
#ifdef Q_OS_WIN
    holder.host = qEnvironmentVariable("COMPUTERNAME"); // as QLockFile names the machine here
#else
    holder.host = QSysInfo::machineHostName();
#endif
    const QByteArray refusal = errLine(DocumentMessages::openInWindow(holder) + u'\n' +
                                       u"没有写入。要仍然写入, 请使用 --force; 该窗口以后保存时会先询问。"_s);
    const QList<QStringList> changes = {{"add", file, "x"},
                                        {"done", file, "1"},
                                        {"rm", file, "1"},
                                        {"import", file, other},
                                        {"passwd", file}};
    for (const QStringList& change : changes) {
        const CliRun refused = run(change + QStringList{"--password-stdin"}, "\n\n\n");
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(refused.err, refusal);
        QCOMPARE(readFile(file), before);
    }
    QCOMPARE(run({u"list"_s, file}).exitCode, 0);
    QCOMPARE(run({u"list"_s, file, u"--force"_s}).exitCode, 1);

    // Another writer, waiting for its password, still holds its file after the wait: --force, which writes
    // past a window, does not write past it.
    const QString guarded = writeNotes(u"c.qlt"_s, sampleNotes(), "pw");
    const QByteArray guardedBefore = readFile(guarded);
    QProcess writer;
    writer.start(QStringLiteral(QUILLET_CLI_PATH), {u"add"_s, guarded, u"x"_s, u"--password-stdin"_s});
    QTRY_VERIFY(QFile::exists(FileLock::lockPathFor(guarded)));
    const CliRun busy = run({u"add"_s, guarded, u"y"_s, u"--force"_s, u"--password-stdin"_s}, "pw\n");
    QCOMPARE(busy.exitCode, 2);
    QCOMPARE(busy.err, errLine(u"另一个 quillet-cli 正在更改该文件。请稍后再试。"_s));
    QCOMPARE(readFile(guarded), guardedBefore);
    writer.closeWriteChannel();
    QVERIFY(writer.waitForFinished());

    QCOMPARE(run({u"add"_s, file, u"forced"_s, u"--force"_s}).exitCode, 0);
    QCOMPARE(notesIn(file).size(), sampleNotes().size() + 1);
    QVERIFY(window.holdsLockOf(file));
    // The window's next save does not erase the forced note unasked.
    window.insertNote(0, makeNote(u"window", u"低", false));
    QVERIFY(window.save(file).changedOnDisk);
    QCOMPARE(notesIn(file).size(), sampleNotes().size() + 1);
}

// Each change holds the file from its read to its rename: none is lost, none is reported falsely.
void TestCli::parallelWritersLoseNothing()
{
#ifdef Q_OS_WIN
    QSKIP("the writers run in loops of a POSIX shell");
#endif
    const QString file = writeNotes(u"a.qlt"_s, {});
    constexpr int PerLoop = 40;
    const QString loop =
        u"for i in $(seq %1); do \"$0\" add \"$1\" \"$2 $i\" 2>&1 || echo failed; done"_s.arg(PerLoop);
    QProcess loops[2];
    for (int i = 0; i < 2; ++i) {
        loops[i].start(u"/bin/sh"_s,
                       {u"-c"_s, loop, QStringLiteral(QUILLET_CLI_PATH), file, u"loop%1"_s.arg(i)});
    }
    for (QProcess& process : loops) {
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QCOMPARE(process.exitCode(), 0);
    }
    QCOMPARE(notesIn(file).size(), 2 * PerLoop);
}

// Another program replaces the file while a change waits for its password: the change is refused.
void TestCli::changedSinceReadRefused()
{
#ifdef Q_OS_WIN
    QSKIP("a writer waiting after its read is seen through /proc");
#endif
    const QString file = writeNotes(u"a.qlt"_s, sampleNotes(), "pw");
    QProcess change;
    change.setWorkingDirectory(m_dir->path());
    change.start(QStringLiteral(QUILLET_CLI_PATH), {u"add"_s, u"a.qlt"_s, u"x"_s, u"--password-stdin"_s});
    QVERIFY(change.waitForStarted());
    // The file stays open from the read until the change is written: open and waiting means read.
    const QString fds = u"/proc/%1/fd"_s.arg(change.processId());
    const auto waitsAfterRead = [&] {
        for (const QFileInfo& fd :
             QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == file)
                return readFile(u"/proc/%1/stat"_s.arg(change.processId())).contains(") S ");
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(waitsAfterRead(), 20000);
    const QByteArray theirs = QltFormat::write({makeNote(u"theirs", u"高", false)}, "pw", 0);
    QVERIFY(QltFile::writeAtomically(file, theirs));
    change.write("pw\n");
    change.closeWriteChannel();
    QVERIFY(change.waitForFinished(20000));
    QCOMPARE(change.exitCode(), 2);
    QCOMPARE(change.readAllStandardError(), errLine(u"文件在打开或上次保存之后已被其他程序更改:\na.qlt"_s));
    QCOMPARE(readFile(file), theirs);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
