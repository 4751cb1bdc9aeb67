// Two real Quillet processes on one file, in the X session of x_session.sh: the second warns that the
// file is open in another window; after No the window that holds the file comes to the front and the
// second process ends.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The windows of a process whose title contains `name`, as xdotool finds them.
QStringList windowsOf(const QProcess& process, const QString& name)
{
    return run(u"xdotool"_s,
               {u"search"_s, u"--pid"_s, QString::number(process.processId()), u"--name"_s, name})
        .split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSecondStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void declinedSecondWindowBringsTheFirstForward();
};

void TestSecondStart::declinedSecondWindowBringsTheFirstForward()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QUILLET_APPDIR"_s, dir.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u"config"_s));
    environment.insert(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));
    const QString bin = QCoreApplication::applicationDirPath();
    const QString notes = dir.filePath(u"held.qlt"_s);
    QCOMPARE(QProcess::execute(bin + u"/quillet-cli"_s, {u"add"_s, notes, u"a note"_s}), 0);

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(bin + u"/quillet"_s, {notes});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(!windowsOf(first, u"held.qlt"_s).isEmpty(), 20000);
    const QStringList held = windowsOf(first, u"Quillet"_s);

    QProcess second;
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(bin + u"/quillet"_s, {notes});
    QVERIFY(second.waitForStarted());
    // The warning, in front: the window the keys go to.
    QTRY_COMPARE_WITH_TIMEOUT(run(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s}), u"确认"_s,
                              20000);

    // No, by Esc, as a user answers.
    run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"Escape"_s});
    QVERIFY2(second.waitForFinished(15000), second.readAll().constData());
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(held.contains(run(u"xdotool"_s, {u"getactivewindow"_s})), 10000);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(10000))
        first.kill();
}

QTEST_GUILESS_MAIN(TestSecondStart)
#include "tst_secondstart.moc"
