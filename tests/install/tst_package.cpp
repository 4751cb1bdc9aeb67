#include "install/InstalledFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The Debian package that CPack makes of this build tree: its file name, control data and contents,
// and that its programs run once unpacked into a throw-away root.
class TestPackage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void fileNameIsPackageVersionArchitecture();
    void controlFields_data();
    void controlFields();
    void dependsOnTheLibrariesTheProgramsUse_data();
    void dependsOnTheLibrariesTheProgramsUse();
    void containsEveryInstalledFile_data();
    void containsEveryInstalledFile();
    void filesBelongToRoot();
    void unpackedProgramRuns();

private:
    QString field(const char* name) const;
    static int run(const QString& program, const QStringList& arguments, QByteArray* output);

    QTemporaryDir m_dir;
    QString m_deb;
    QString m_architecture;
    QByteArray m_contents;
};

int TestPackage::run(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        *output = program.toUtf8() + " did not start: " + process.errorString().toUtf8();
        return -1;
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString TestPackage::field(const char* name) const
{
    QByteArray output;
    if (run(u"dpkg-deb"_s, {u"--field"_s, m_deb, QLatin1String(name)}, &output) != 0)
        return u"(dpkg-deb failed: %1)"_s.arg(QString::fromUtf8(output));
    return QString::fromUtf8(output).trimmed();
}

void TestPackage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QByteArray output;
    QVERIFY(run(u"dpkg"_s, {u"--print-architecture"_s}, &output) == 0);
    m_architecture = QString::fromUtf8(output).trimmed();

    const QString out = m_dir.filePath(u"out"_s);
    const int code = run(QStringLiteral(QUILLET_CPACK_COMMAND),
                         {u"-G"_s, u"DEB"_s, u"-B"_s, out, u"--config"_s,
                          QStringLiteral(QUILLET_BUILD_DIR "/CPackConfig.cmake")},
                         &output);
    QVERIFY2(code == 0, output.constData());
    const QStringList debs = QDir(out).entryList({u"*.deb"_s}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(out).filePath(debs.first());

    QVERIFY(run(u"dpkg-deb"_s, {u"--contents"_s, m_deb}, &output) == 0);
    m_contents = output;
}

void TestPackage::fileNameIsPackageVersionArchitecture()
{
    QCOMPARE(QFileInfo(m_deb).fileName(),
             QStringLiteral("quillet_" QUILLET_VERSION "_") + m_architecture + u".deb"_s);
}

void TestPackage::controlFields_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("package") << QByteArray("Package") << u"quillet"_s;
    QTest::newRow("version") << QByteArray("Version") << QStringLiteral(QUILLET_VERSION);
    QTest::newRow("maintainer") << QByteArray("Maintainer")
                                << QStringLiteral("Quillet developers <" QUILLET_CONTACT_EMAIL ">");
    QTest::newRow("recommends") << QByteArray("Recommends") << u"fonts-noto-cjk, qt6-wayland"_s;
    QTest::newRow("section") << QByteArray("Section") << u"utils"_s;
    QTest::newRow("priority") << QByteArray("Priority") << u"optional"_s;
}

void TestPackage::controlFields()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    QCOMPARE(field(name.constData()), expected);
}

void TestPackage::dependsOnTheLibrariesTheProgramsUse_data()
{
    QTest::addColumn<QString>("package");
    for (const char* name : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                             "libqt6svg6", "qt6-translations-l10n", "libsodium23"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPackage::dependsOnTheLibrariesTheProgramsUse()
{
    QFETCH(QString, package);
    QStringList names;
    for (const QString& item : field("Depends").split(QLatin1Char(','))) {
        // "libqt6core6 (>= 6.4.0)" or alternatives "a | b": the first name is enough here.
        names.append(item.trimmed().section(QLatin1Char(' '), 0, 0));
    }
    QVERIFY2(names.contains(package), qPrintable(field("Depends")));
    QCOMPARE(field("Architecture"), m_architecture);
}

void TestPackage::containsEveryInstalledFile_data()
{
    QTest::addColumn<QString>("path");
    for (const InstalledFiles::Entry& entry : InstalledFiles::expected())
        QTest::newRow(qPrintable(entry.path)) << entry.path;
}

void TestPackage::containsEveryInstalledFile()
{
    QFETCH(QString, path);
    const QByteArray entry = " ./usr/" + path.toUtf8();
    bool found = false;
    for (const QByteArray& line : m_contents.split('\n'))
        found = found || line.endsWith(entry);
    QVERIFY2(found, m_contents.constData());
}

void TestPackage::filesBelongToRoot()
{
    int files = 0;
    for (const QByteArray& line : m_contents.split('\n')) {
        if (line.isEmpty())
            continue;
        QVERIFY2(line.contains(" root/root "), line.constData());
        ++files;
    }
    QVERIFY(files >= int(InstalledFiles::expected().size()));
}

void TestPackage::unpackedProgramRuns()
{
    const QString root = m_dir.filePath(u"root"_s);
    QByteArray output;
    QVERIFY2(run(u"dpkg-deb"_s, {u"-x"_s, m_deb, root}, &output) == 0, output.constData());
    const QString cli = root + u"/usr/bin/quillet-cli"_s;
    QVERIFY(QFileInfo(cli).isExecutable());
    QVERIFY(QFileInfo(root + u"/usr/bin/quillet"_s).isExecutable());
    const int code = run(cli, {u"--help"_s}, &output);
    QVERIFY2(code == 0, output.constData());
    QVERIFY2(output.contains("quillet-cli"), output.constData());
    // The program finds what it ships in the installed share folder.
    QVERIFY(QFileInfo::exists(root + u"/usr/bin/../share/quillet/License.txt"_s));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
