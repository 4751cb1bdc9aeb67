#include "document/Note.h"
#include "document/QltFormat.h"
#include "shared/IniFile.h"
#include "shared/Version.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Quillet under weston's headless backend, a Wayland compositor without a seat: the window is shown but
// never gets the focus, as on a desktop whose focus-stealing prevention holds it back. The file to open at
// start must open all the same. Weston's scene graph tells the window's title, which names the open file.
class TestWayland : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void startupFileOpensWithoutFocus_data();
    void startupFileOpensWithoutFocus();

private:
    QProcessEnvironment waylandEnvironment() const;
    QString sceneGraph() const;
    static void stop(QProcess& process);

    QTemporaryDir m_runtimeDir; // XDG_RUNTIME_DIR of the compositor and its clients, private to the user
    QProcess m_weston;
    QString m_westonDebug;
};

namespace {

constexpr char Socket[] = "quillet-test";
constexpr int StartTimeoutMs = 20000;

} // namespace

QProcessEnvironment TestWayland::waylandEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtimeDir.path());
    environment.insert(u"WAYLAND_DISPLAY"_s, QLatin1String(Socket));
    environment.remove(u"DISPLAY"_s);
    return environment;
}

void TestWayland::initTestCase()
{
    const QString weston = QStandardPaths::findExecutable(u"weston"_s);
    m_westonDebug = QStandardPaths::findExecutable(u"weston-debug"_s);
    if (weston.isEmpty() || m_westonDebug.isEmpty())
        QSKIP("weston is not installed: the start under Wayland is not checked");
    QVERIFY(m_runtimeDir.isValid());

    // --debug lets weston-debug read the scene graph.
    m_weston.setProcessEnvironment(waylandEnvironment());
    m_weston.setProcessChannelMode(QProcess::MergedChannels);
    m_weston.start(weston, {u"--backend=headless-backend.so"_s, u"--socket="_s + QLatin1String(Socket),
                            u"--idle-time=0"_s, u"--no-config"_s, u"--debug"_s});
    QVERIFY2(m_weston.waitForStarted(), qPrintable(m_weston.errorString()));
    const QString socket = QDir(m_runtimeDir.path()).filePath(QLatin1String(Socket));
    QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(socket) || m_weston.state() != QProcess::Running,
                              "weston made no socket", StartTimeoutMs);
    QVERIFY2(m_weston.state() == QProcess::Running, m_weston.readAll().constData());
}

void TestWayland::cleanupTestCase()
{
    stop(m_weston);
}

void TestWayland::stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

QString TestWayland::sceneGraph() const
{
    QProcess debug;
    debug.setProcessEnvironment(waylandEnvironment());
    debug.start(m_westonDebug, {u"scene-graph"_s});
    if (!debug.waitForFinished(5000))
        return {};
    return QString::fromUtf8(debug.readAllStandardOutput());
}

void TestWayland::startupFileOpensWithoutFocus_data()
{
    QTest::addColumn<bool>("onCommandLine");
    QTest::newRow("named on the command line") << true;
    QTest::newRow("last file") << false;
}

void TestWayland::startupFileOpensWithoutFocus()
{
    QFETCH(bool, onCommandLine);
    QTemporaryDir appDir;
    QVERIFY(appDir.isValid());
    const QDir dir(appDir.path());
    const QString path = dir.filePath(u"wayland.qlt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(QltFormat::write({Note{"Wayland", "标准", Note::ImageNotDone}}, QByteArray(), 0)) > 0);
    file.close();
    if (!onCommandLine) {
        IniFile ini(dir.filePath(u"Quillet.ini"_s));
        ini.WriteString(u"General"_s, u"OpenLastFile"_s, u"1"_s);
        ini.WriteString(u"General"_s, u"LastFile"_s, path);
    }

    QProcessEnvironment environment = waylandEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
    environment.insert(u"QUILLET_APPDIR"_s, appDir.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, dir.filePath(u"config"_s));
    environment.insert(u"XDG_DATA_HOME"_s, dir.filePath(u"data"_s));
    QProcess quillet;
    quillet.setProcessEnvironment(environment);
    quillet.setProcessChannelMode(QProcess::MergedChannels);
    quillet.start(QStringLiteral(QUILLET_BINARY), onCommandLine ? QStringList{path} : QStringList{});
    QVERIFY2(quillet.waitForStarted(), qPrintable(quillet.errorString()));

    const QString title = u"'Quillet v%1 - wayland.qlt"_s.arg(QLatin1String(Quillet::ProgramVersion));
    QString scene;
    QTRY_VERIFY2_WITH_TIMEOUT((scene = sceneGraph()).contains(title) || quillet.state() != QProcess::Running,
                              qPrintable(scene), StartTimeoutMs);
    const QByteArray output = quillet.readAll();
    QVERIFY2(quillet.state() == QProcess::Running, output.constData());
    QVERIFY2(scene.contains(title), qPrintable(scene + QString::fromLocal8Bit(output)));
    stop(quillet);
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
