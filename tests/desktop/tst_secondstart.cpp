// Two real Quillet processes on one file, in a desktop session (the X session of x_session.sh; Wine's on
// Windows): the second warns that the file is open in another window; after No the window that holds the
// file comes to the front and the second process ends.
#include "DesktopProbe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace DesktopProbe;

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
    QTRY_VERIFY_WITH_TIMEOUT(!windowsOf(first.processId(), u"held.qlt"_s).isEmpty(), 20000);
    const QStringList held = windowsOf(first.processId(), u"Quillet"_s);
    QVERIFY(!held.isEmpty());
    // Out of the way, where nothing but its own process brings it back.
    for (const QString& window : held)
        minimize(window);
    QTRY_VERIFY(windowsOf(first.processId(), u"held.qlt"_s).isEmpty());

    QProcess second;
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(bin + u"/quillet"_s, {notes});
    QVERIFY(second.waitForStarted());
    // The warning, in front: the window the keys go to.
    QTRY_COMPARE_WITH_TIMEOUT(activeWindowTitle(), u"确认"_s, 20000);

    // No, by Esc, as a user answers.
    pressEscape();
    QVERIFY2(second.waitForFinished(15000), second.readAll().constData());
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(
        held.contains(activeWindow()) && !windowsOf(first.processId(), u"held.qlt"_s).isEmpty(), 10000);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(10000))
        first.kill();
}

QTEST_GUILESS_MAIN(TestSecondStart)
#include "tst_secondstart.moc"
