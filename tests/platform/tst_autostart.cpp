#include "ChildCase.h"
#include "TestFiles.h"

#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString Exe = u"/opt/quillet/quillet"_s;

QByteArray entryWithExec(const QByteArray& exec, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=Quillet\nExec=" + exec + "\n" + extra;
}
} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void entryPath_followsXdgConfigHome_data();
    void entryPath_followsXdgConfigHome();

    void enable_writesEntry_data();
    void enable_writesEntry();
    void enable_overwritesExistingEntry();
    void enable_failsWhenFolderCannotBeMade();

    void read_recognisesOwnEntry_data();
    void read_recognisesOwnEntry();

    void disable_removesOnlyOwnEntry_data();
    void disable_removesOnlyOwnEntry();
    void disable_failsInReadOnlyFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_configHome;
};

void TestAutostart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_configHome = m_dir->filePath(u"config"_s);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome));
    qputenv("HOME", QFile::encodeName(m_dir->filePath(u"home"_s)));
}

void TestAutostart::entryPath_followsXdgConfigHome_data()
{
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << QByteArray("/srv/cfg") << u"/srv/cfg/autostart/Quillet.desktop"_s;
    QTest::newRow("trailing slash") << QByteArray("/srv/cfg/") << u"/srv/cfg/autostart/Quillet.desktop"_s;
    QTest::newRow("empty") << QByteArray() << u"home/.config/autostart/Quillet.desktop"_s;
    QTest::newRow("relative") << QByteArray("cfg") << u"home/.config/autostart/Quillet.desktop"_s;
}

void TestAutostart::entryPath_followsXdgConfigHome()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QString, expected);
    qputenv("XDG_CONFIG_HOME", configHome);
    if (!QDir::isAbsolutePath(expected))
        expected = m_dir->filePath(expected);
    QCOMPARE(Autostart::entryPath(), expected);
}

void TestAutostart::enable_writesEntry_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<QByteArray>("execLine");

    QTest::newRow("plain") << Exe << false << QByteArray("Exec=/opt/quillet/quillet");
    QTest::newRow("plain, minimized") << Exe << true << QByteArray("Exec=/opt/quillet/quillet /minimize");
    QTest::newRow("blank in path") << u"/home/u/My Apps/quillet"_s << true
                                   << QByteArray("Exec=\"/home/u/My Apps/quillet\" /minimize");
    QTest::newRow("percent in path") << u"/opt/100%/quillet"_s << false
                                     << QByteArray("Exec=/opt/100%%/quillet");
    QTest::newRow("dollar in path") << u"/opt/a$b/quillet"_s << false
                                    << QByteArray("Exec=\"/opt/a\\\\$b/quillet\"");
    QTest::newRow("non-ASCII path") << u"/opt/记事/quillet"_s << true
                                    << QByteArray("Exec=/opt/记事/quillet /minimize");
}

void TestAutostart::enable_writesEntry()
{
    QFETCH(QString, exe);
    QFETCH(bool, minimized);
    QFETCH(QByteArray, execLine);

    QString error;
    QVERIFY(Autostart::enable(exe, minimized, &error));
    QVERIFY(error.isEmpty());

    const QString path = m_configHome + u"/autostart/Quillet.desktop"_s;
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Desktop Entry]"));
    QVERIFY(lines.contains("Type=Application"));
    QVERIFY(lines.contains("Name=Quillet"));
    QVERIFY(lines.contains("X-GNOME-Autostart-enabled=true"));
    QVERIFY2(lines.contains(execLine), readFile(path).constData());
    // Quiet once the program is gone.
    QVERIFY(lines.contains("TryExec=" + exe.toUtf8()));

    const Autostart::AutostartState state = Autostart::read(exe);
    QVERIFY(state.enabled);
    QCOMPARE(state.minimized, minimized);
}

void TestAutostart::enable_overwritesExistingEntry()
{
    QVERIFY(writeFile(Autostart::entryPath(), entryWithExec("/usr/bin/other /minimize")));
    QVERIFY(Autostart::enable(Exe, false));
    QVERIFY(readFile(Autostart::entryPath()).split('\n').contains("Exec=/opt/quillet/quillet"));
    QCOMPARE(Autostart::read(u"/usr/bin/other"_s).enabled, false);

    QVERIFY(Autostart::enable(Exe, true));
    const Autostart::AutostartState state = Autostart::read(Exe);
    QVERIFY(state.enabled);
    QVERIFY(state.minimized);
}

void TestAutostart::enable_failsWhenFolderCannotBeMade()
{
    // A file where the configuration folder should be: no permission trick, so it fails as root too.
    QVERIFY(writeFile(m_configHome, "not a folder"));
    QString error;
    QVERIFY(!Autostart::enable(Exe, true, &error));
    QVERIFY(error.contains(u"autostart"_s));
    QCOMPARE(readFile(m_configHome), QByteArray("not a folder"));
    QCOMPARE(Autostart::read(Exe).enabled, false);
}

void TestAutostart::read_recognisesOwnEntry_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QByteArray>("entry"); // null: none
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("minimized");

    QTest::newRow("no entry") << Exe << QByteArray() << false << false;
    QTest::newRow("exact") << Exe << entryWithExec("/opt/quillet/quillet") << true << false;
    QTest::newRow("exact, minimized")
        << Exe << entryWithExec("/opt/quillet/quillet /minimize") << true << true;
    QTest::newRow("other letter case") << Exe << entryWithExec("/OPT/Quillet/QUILLET") << true << false;
    QTest::newRow("switch in capitals")
        << Exe << entryWithExec("/opt/quillet/quillet /MINIMIZE") << true << true;
    QTest::newRow("quoted") << Exe << entryWithExec("\"/opt/quillet/quillet\" /minimize") << true << true;
    QTest::newRow("spaces around =") << Exe << QByteArray("[Desktop Entry]\nExec = /opt/quillet/quillet\n")
                                     << true << false;
    QTest::newRow("unquoted blank in path")
        << u"/home/u/My Apps/quillet"_s << entryWithExec("/home/u/My Apps/quillet /minimize") << true << true;
    QTest::newRow("escaped blank") << u"/home/u/My Apps/quillet"_s
                                   << entryWithExec("/home/u/My\\sApps/quillet") << true << false;
    QTest::newRow("another program") << Exe << entryWithExec("/opt/other/quillet") << false << false;
    QTest::newRow("path with a prefix") << Exe << entryWithExec("/opt/quillet/quillet2") << false << false;
    QTest::newRow("other switch") << Exe << entryWithExec("/opt/quillet/quillet -debug") << false << false;
    QTest::newRow("extra argument") << Exe << entryWithExec("/opt/quillet/quillet /minimize x") << false
                                    << false;
    QTest::newRow("non-ASCII letters keep their case")
        << u"/opt/Ärger/quillet"_s << entryWithExec("/opt/ärger/quillet") << false << false;
    QTest::newRow("hidden by the desktop")
        << Exe << entryWithExec("/opt/quillet/quillet", "Hidden=true\n") << false << false;
    QTest::newRow("switched off in the session")
        << Exe << entryWithExec("/opt/quillet/quillet", "X-GNOME-Autostart-enabled=false\n") << false
        << false;
    QTest::newRow("Exec in another group")
        << Exe << QByteArray("[Desktop Entry]\nName=Quillet\n[Desktop Action x]\nExec=/opt/quillet/quillet\n")
        << false << false;
    QTest::newRow("broken quoting") << Exe << entryWithExec("\"/opt/quillet/quillet") << false << false;
}

void TestAutostart::read_recognisesOwnEntry()
{
    QFETCH(QString, exe);
    QFETCH(QByteArray, entry);
    QFETCH(bool, enabled);
    QFETCH(bool, minimized);

    if (!entry.isNull())
        QVERIFY(writeFile(Autostart::entryPath(), entry));
    const Autostart::AutostartState state = Autostart::read(exe);
    QCOMPARE(state.enabled, enabled);
    QCOMPARE(state.minimized, minimized);
}

void TestAutostart::disable_removesOnlyOwnEntry_data()
{
    QTest::addColumn<QByteArray>("entry"); // null: none
    QTest::addColumn<bool>("removed");

    QTest::newRow("no entry") << QByteArray() << true;
    QTest::newRow("ours") << entryWithExec("/opt/quillet/quillet") << true;
    QTest::newRow("ours, minimized") << entryWithExec("/opt/quillet/quillet /minimize") << true;
    QTest::newRow("ours, other case") << entryWithExec("/OPT/QUILLET/QUILLET /Minimize") << true;
    QTest::newRow("ours, hidden") << entryWithExec("/opt/quillet/quillet", "Hidden=true\n") << true;
    QTest::newRow("another path") << entryWithExec("/usr/local/bin/quillet /minimize") << false;
    QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nName=Quillet\n") << false;
}

void TestAutostart::disable_removesOnlyOwnEntry()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, removed);

    if (!entry.isNull())
        QVERIFY(writeFile(Autostart::entryPath(), entry));
    QString error;
    QVERIFY(Autostart::disableIfOurs(Exe, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(QFileInfo::exists(Autostart::entryPath()), !removed);
    if (!removed)
        QCOMPARE(readFile(Autostart::entryPath()), entry);
}

void TestAutostart::disable_failsInReadOnlyFolder()
{
    if (!runsUnprivileged())
        return;
    QVERIFY(writeFile(Autostart::entryPath(), entryWithExec("/opt/quillet/quillet")));
    const QString folder = QFileInfo(Autostart::entryPath()).absolutePath();
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString error;
    const bool done = Autostart::disableIfOurs(Exe, &error);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!done);
    QVERIFY(error.contains(u"Quillet.desktop"_s));
    QVERIFY(QFileInfo::exists(Autostart::entryPath()));
}

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
