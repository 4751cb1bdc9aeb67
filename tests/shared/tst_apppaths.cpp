#include "ChildCase.h"
#include "TestFiles.h"

#include "shared/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_WIN
// The roaming profile's folder names the config home; an installed copy is the one the installer left
// its uninstaller beside.
const char* const ConfigHomeVariable = "APPDATA";
const QString ProgramName = u"quillet.exe"_s;
const QStringList BesideInstalledProgram = {u"Uninstall.exe"_s};
#else
const char* const ConfigHomeVariable = "XDG_CONFIG_HOME";
const QString ProgramName = u"quillet"_s;
const QStringList BesideInstalledProgram;
#endif

// Makes the program folder `exeDir` look installed.
void makeInstalledLayout(const QString& exeDir)
{
    for (const QString& name : BesideInstalledProgram) {
        QFile file(exeDir + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(file.fileName()));
    }
#ifndef Q_OS_WIN
    if (!QDir().mkpath(exeDir + u"/../share/quillet"_s))
        qFatal("cannot create the share folder beside %s", qPrintable(exeDir));
#endif
}

} // namespace

// Where settings, logs and shipped files are looked for: a portable copy, an installed copy, and the
// override the tests of every other suite rely on.
class TestAppPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void dataDirFollowsTheExecutableFolder_data();
    void dataDirFollowsTheExecutableFolder();
    void configFolderIsTheUsersAlone();
    void configFolderThatCannotBeMadeIsStillNamed();

    void configDirHonoursXdgConfigHome_data();
    void configDirHonoursXdgConfigHome();

    void shippedFilesBesideThenInShare_data();
    void shippedFilesBesideThenInShare();

    void overrideReplacesEveryFolder();
    void helpFileIsCompiledOrHtml_data();
    void helpFileIsCompiledOrHtml();
    void dataDirOfTheRunningProgram_data();
    void dataDirOfTheRunningProgram();

private:
    QString makeDir(const QString& relative);

    QTemporaryDir m_root;
    QString m_home;
    QString m_xdg;
};

void TestAppPaths::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_home = makeDir(u"home"_s);
}

void TestAppPaths::init()
{
    // Each case gets a config home of its own, so "created on demand" can be seen.
    static int counter = 0;
    m_xdg = m_root.filePath(u"xdg%1"_s.arg(++counter));
    qunsetenv("QUILLET_APPDIR");
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv(ConfigHomeVariable, QFile::encodeName(m_xdg));
}

QString TestAppPaths::makeDir(const QString& relative)
{
    const QString path = m_root.filePath(relative);
    if (!QDir().mkpath(path))
        qFatal("cannot create %s", qPrintable(path));
    return path;
}

enum class Place
{
    BesideProgram,
    ConfigHome
};

void TestAppPaths::dataDirFollowsTheExecutableFolder_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<bool>("needsNonRoot");
    QTest::addColumn<int>("expected");

    QTest::newRow("writable folder, a portable copy")
        << makeDir(u"portable"_s) << false << int(Place::BesideProgram);

#ifndef Q_OS_WIN // where a folder's read-only attribute does not keep files out
    const QString readOnly = makeDir(u"read-only"_s);
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    QTest::newRow("folder of mode 0555") << readOnly << true << int(Place::ConfigHome);
#endif

    // Not even root creates files in /proc: the read-only case when the tests run as root.
    QTest::newRow("folder on a file system nobody writes to")
        << u"/proc/self"_s << false << int(Place::ConfigHome);

    QTest::newRow("folder that is not there")
        << m_root.filePath(u"gone/bin"_s) << false << int(Place::ConfigHome);

    // /usr/bin when run by root, a prefix in the home folder, or Program Files for an administrator:
    // writable, yet an installed copy.
    const QString prefixBin = makeDir(u"prefix/bin"_s);
    makeInstalledLayout(prefixBin);
    QTest::newRow("writable folder of an installed layout") << prefixBin << false << int(Place::ConfigHome);
}

void TestAppPaths::dataDirFollowsTheExecutableFolder()
{
    QFETCH(QString, exeDir);
    QFETCH(bool, needsNonRoot);
    QFETCH(int, expected);
    if (needsNonRoot && !runsUnprivileged())
        return;

    const QStringList before = QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString dir = AppPaths::dataDirFor(exeDir);

    if (Place(expected) == Place::BesideProgram) {
        QCOMPARE(dir, QDir::toNativeSeparators(exeDir));
        QVERIFY2(!QFileInfo::exists(m_xdg), "the config home is made only when it is used");
    } else {
        QCOMPARE(dir, QDir::toNativeSeparators(m_xdg + u"/Quillet"_s));
        QVERIFY(QFileInfo(dir).isDir());
    }
    // The writability probe leaves nothing behind.
    QCOMPARE(QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void TestAppPaths::configFolderIsTheUsersAlone()
{
#ifdef Q_OS_WIN
    QSKIP("no owner-only permission bits here: the folder takes the rights of the user's profile");
#endif
    const QString dir = AppPaths::dataDirFor(u"/proc/self"_s);
    QCOMPARE(QFileInfo(dir).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                             QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
             QFile::Permissions());
    QVERIFY(QFileInfo(dir).permissions().testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // An existing folder is used as it is.
    QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup));
    QCOMPARE(AppPaths::dataDirFor(u"/proc/self"_s), dir);
    QVERIFY(QFileInfo(dir).permissions().testFlag(QFile::ReadGroup));
}

void TestAppPaths::configFolderThatCannotBeMadeIsStillNamed()
{
    // The writes report the failure later; the rule itself neither throws nor falls back elsewhere.
    const QString blocker = m_root.filePath(u"a file"_s);
    QVERIFY(writeFile(blocker, "text\n"));
    qputenv(ConfigHomeVariable, QFile::encodeName(blocker));
    const QString dir = AppPaths::dataDirFor(u"/proc/self"_s);
    QCOMPARE(dir, QDir::toNativeSeparators(blocker + u"/Quillet"_s));
    QVERIFY(!QFileInfo::exists(dir));
    QVERIFY(QFileInfo(blocker).isFile());
}

void TestAppPaths::configDirHonoursXdgConfigHome_data()
{
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<bool>("setXdg");
    QTest::addColumn<QString>("expectedBase"); // "HOME" stands for the desktop's own config folder

    QTest::newRow("absolute") << QFile::encodeName(m_root.filePath(u"cfg"_s)) << true
                              << m_root.filePath(u"cfg"_s);
    QTest::newRow("unset") << QByteArray() << false << u"HOME"_s;
    QTest::newRow("empty") << QByteArray() << true << u"HOME"_s;
    QTest::newRow("relative, which the base directory rules ignore")
        << QByteArray("cfg") << true << u"HOME"_s;
    QTest::newRow("trailing slash") << QFile::encodeName(m_root.filePath(u"cfg/"_s)) << true
                                    << m_root.filePath(u"cfg"_s);
}

void TestAppPaths::configDirHonoursXdgConfigHome()
{
    QFETCH(QByteArray, xdg);
    QFETCH(bool, setXdg);
    QFETCH(QString, expectedBase);
    if (setXdg)
        qputenv(ConfigHomeVariable, xdg);
    else
        qunsetenv(ConfigHomeVariable);
#ifdef Q_OS_WIN
    const QString desktopConfig = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#else
    const QString desktopConfig = m_home + u"/.config"_s;
#endif
    const QString base = expectedBase == "HOME"_L1 ? desktopConfig : expectedBase;

    QCOMPARE(AppPaths::configDir(), base + u"/Quillet"_s);
    QCOMPARE(AppPaths::dataDirFor(u"/proc/self"_s), QDir::toNativeSeparators(base + u"/Quillet"_s));
    QVERIFY(QFileInfo(base + u"/Quillet"_s).isDir());
}

void TestAppPaths::shippedFilesBesideThenInShare_data()
{
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("inShare");
    QTest::addColumn<bool>("expectShare");

    QTest::newRow("beside the program only") << true << false << false;
    QTest::newRow("in the share folder only") << false << true << true;
    QTest::newRow("in both: beside wins") << true << true << false;
    QTest::newRow("nowhere: named beside the program") << false << false << false;
}

void TestAppPaths::shippedFilesBesideThenInShare()
{
    QFETCH(bool, beside);
    QFETCH(bool, inShare);
    QFETCH(bool, expectShare);

    const QString tag =
        QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(':'), QLatin1Char('-'));
    const QString bin = makeDir(tag + u"/bin"_s);
    const QString share = makeDir(tag + u"/share/quillet"_s);
    for (const char* name : {"License.txt", "Quillet.chm"}) {
        if (beside)
            QVERIFY(writeFile(bin + QLatin1Char('/') + QLatin1String(name), "text\n"));
        if (inShare)
            QVERIFY(writeFile(share + QLatin1Char('/') + QLatin1String(name), "text\n"));
        const QString expected = (expectShare ? share : bin) + QLatin1Char('/') + QLatin1String(name);
        QCOMPARE(AppPaths::shippedFilePath(bin, QLatin1String(name)), QDir::toNativeSeparators(expected));
    }
    QCOMPARE(AppPaths::installedShareDir(bin), share);
}

void TestAppPaths::overrideReplacesEveryFolder()
{
    // Even beside a program in an installed layout that ships its own License.txt.
    const QString dir = makeDir(u"override"_s);
    qputenv("QUILLET_APPDIR", QFile::encodeName(dir));
    const QString native = QDir::toNativeSeparators(dir);
    const QString sep = QDir::separator();

    QCOMPARE(AppPaths::executableDir(), native);
    QCOMPARE(AppPaths::dataDir(), native);
    QCOMPARE(AppPaths::iniFileName(), native + sep + u"Quillet.ini"_s);
    QCOMPARE(AppPaths::debugLogPath(), native + sep + u"qltdbg.dat"_s);
    QCOMPARE(AppPaths::errorLogPath(), native + sep + u"ErrorLog.txt"_s);
    QCOMPARE(AppPaths::licensePath(), native + sep + u"License.txt"_s);
    QCOMPARE(AppPaths::helpFilePath(), native + sep + u"Quillet.chm"_s);
    QVERIFY(!QFileInfo::exists(m_xdg));

    // A missing override folder is not created.
    const QString missing = m_root.filePath(u"no such folder"_s);
    qputenv("QUILLET_APPDIR", QFile::encodeName(missing));
    QCOMPARE(AppPaths::iniFileName(), QDir::toNativeSeparators(missing + u"/Quillet.ini"_s));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!QFileInfo::exists(m_xdg));
}

void TestAppPaths::helpFileIsCompiledOrHtml_data()
{
    QTest::addColumn<bool>("chm");
    QTest::addColumn<bool>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("compiled help only") << true << false << u"Quillet.chm"_s;
    QTest::newRow("html help only") << false << true << u"Quillet.html"_s;
    QTest::newRow("both: the compiled one") << true << true << u"Quillet.chm"_s;
    QTest::newRow("none: the compiled one is named") << false << false << u"Quillet.chm"_s;
}

void TestAppPaths::helpFileIsCompiledOrHtml()
{
    QFETCH(bool, chm);
    QFETCH(bool, html);
    QFETCH(QString, expected);
    const QString dir =
        makeDir(u"help/"_s + QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(':')));
    if (chm)
        QVERIFY(writeFile(dir + u"/Quillet.chm"_s, "text\n"));
    if (html)
        QVERIFY(writeFile(dir + u"/Quillet.html"_s, "text\n"));
    qputenv("QUILLET_APPDIR", QFile::encodeName(dir));
    QCOMPARE(AppPaths::helpFilePath(), QDir::toNativeSeparators(dir + QLatin1Char('/') + expected));
}

void TestAppPaths::dataDirOfTheRunningProgram_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("portable build") << false;
    QTest::newRow("installed copy") << true;
}

// dataDir() itself, for the program that runs: this test program in the build tree (a writable folder
// with no share folder beside it), or a copy of it in an installed layout.
void TestAppPaths::dataDirOfTheRunningProgram()
{
    QFETCH(bool, installed);
    if (installed && !isChildCase()) {
        const QString bin = makeDir(u"installed/bin"_s);
        makeInstalledLayout(bin);
        runCaseInCopy(bin + u'/' + ProgramName);
        return;
    }
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (installed) {
        const QString config = QDir::toNativeSeparators(m_xdg + u"/Quillet"_s);
        QCOMPARE(AppPaths::dataDir(), config);
        QCOMPARE(AppPaths::iniFileName(), config + QDir::separator() + u"Quillet.ini"_s);
        QStringList expected = BesideInstalledProgram + QStringList{ProgramName};
        expected.sort();
        QStringList entries = QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        entries.sort();
        QCOMPARE(entries, expected);
        return;
    }
    if (!QFileInfo(exeDir).isWritable())
        QSKIP("the build tree is read-only for this user");
    QVERIFY(!QFileInfo::exists(exeDir + u"/../share/quillet"_s));
    const QString native = QDir::toNativeSeparators(exeDir);
    QCOMPARE(AppPaths::executableDir(), native);
    QCOMPARE(AppPaths::dataDir(), native);
    QCOMPARE(AppPaths::iniFileName(), native + QDir::separator() + u"Quillet.ini"_s);
    QCOMPARE(AppPaths::licensePath(), native + QDir::separator() + u"License.txt"_s);
    QVERIFY(!QFileInfo::exists(m_xdg));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
