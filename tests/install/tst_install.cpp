#include "install/InstalledFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// `cmake --install` of this build tree into a temporary prefix: every file in its place, the desktop
// files valid for the desktop's own tools, the MIME package and icons usable.
class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void everyFileIsInstalled_data();
    void everyFileIsInstalled();
    void nothingElseIsInstalled();
    void iconsHaveTheirSize_data();
    void iconsHaveTheirSize();
    void scalableIconIsTheProgramIcon();
    void licenceAndHelpAreTheProjects();

    void desktopEntryValidates();
    void desktopEntryOpensNotesFiles_data();
    void desktopEntryOpensNotesFiles();
    void metainfoValidates();
    void metainfoDescribesThisRelease();
    void mimePackageNamesNotesFiles();

    void installedCommandLineProgramRuns();
    void installedProgramPrintsUsageWithoutDisplay();

private:
    QString installed(const QString& relative) const { return m_prefix.filePath(relative); }
    QString desktopEntry() const;
    QString metainfo() const;
    static QByteArray readAll(const QString& path);
    // Runs a tool to its end; its output, both channels, goes into `output`.
    static int run(const QString& program, const QStringList& arguments, QByteArray* output,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    QTemporaryDir m_prefix;
};

QByteArray TestInstall::readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int TestInstall::run(const QString& program, const QStringList& arguments, QByteArray* output,
                     const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
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

QString TestInstall::desktopEntry() const
{
    return installed(u"share/applications/%1.desktop"_s.arg(QLatin1String(InstalledFiles::AppId)));
}

QString TestInstall::metainfo() const
{
    return installed(u"share/metainfo/%1.metainfo.xml"_s.arg(QLatin1String(InstalledFiles::AppId)));
}

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QByteArray output;
    const int code =
        run(QStringLiteral(QUILLET_CMAKE_COMMAND),
            {u"--install"_s, QStringLiteral(QUILLET_BUILD_DIR), u"--prefix"_s, m_prefix.path()}, &output);
    QVERIFY2(code == 0, output.constData());
}

void TestInstall::everyFileIsInstalled_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    for (const InstalledFiles::Entry& entry : InstalledFiles::expected())
        QTest::newRow(qPrintable(entry.path)) << entry.path << entry.executable;
}

void TestInstall::everyFileIsInstalled()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile(), qPrintable(info.filePath()));
    QVERIFY(info.size() > 0);
    QCOMPARE(info.isExecutable(), executable);
    QVERIFY(info.permissions().testFlag(QFile::ReadOther));
}

void TestInstall::nothingElseIsInstalled()
{
    QStringList expected;
    for (const InstalledFiles::Entry& entry : InstalledFiles::expected())
        expected.append(entry.path);
    expected.sort();

    QStringList found;
    QDir root(m_prefix.path());
    const QString base = root.absolutePath() + QLatin1Char('/');
    QDirIterator files(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        found.append(files.next().mid(base.size()));
    found.sort();
    QCOMPARE(found, expected);
}

void TestInstall::iconsHaveTheirSize_data()
{
    QTest::addColumn<int>("size");
    for (const int size : InstalledFiles::IconSizes)
        QTest::addRow("%dx%d", size, size) << size;
}

void TestInstall::iconsHaveTheirSize()
{
    QFETCH(int, size);
    const QImage image(installed(InstalledFiles::iconPath(size)), "PNG");
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // A drawn icon: transparent corners around an opaque middle.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

void TestInstall::scalableIconIsTheProgramIcon()
{
    const QByteArray svg = readAll(QStringLiteral(QUILLET_SOURCE_DIR "/resources/icons/quillet.svg"));
    QVERIFY(!svg.isEmpty());
    QCOMPARE(readAll(installed(
                 u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(QLatin1String(InstalledFiles::AppId)))),
             svg);
}

void TestInstall::licenceAndHelpAreTheProjects()
{
    const QByteArray licence = readAll(QStringLiteral(QUILLET_SOURCE_DIR "/LICENSE"));
    QVERIFY(!licence.isEmpty());
    QCOMPARE(readAll(installed(u"share/quillet/License.txt"_s)), licence);
    QCOMPARE(readAll(installed(u"share/doc/quillet/copyright"_s)), licence);
    const QByteArray help = readAll(QStringLiteral(QUILLET_SOURCE_DIR "/resources/linux/Quillet.html"));
    QVERIFY(!help.isEmpty());
    QCOMPARE(readAll(installed(u"share/quillet/Quillet.html"_s)), help);
}

void TestInstall::desktopEntryValidates()
{
    QByteArray output;
    const int code = run(u"desktop-file-validate"_s, {desktopEntry()}, &output);
    QVERIFY2(code == 0, output.constData());
    // Not even a hint: one main category, so the menus show the program once.
    QVERIFY2(output.isEmpty(), output.constData());
}

void TestInstall::desktopEntryOpensNotesFiles_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("exec") << QByteArray("Exec=quillet %f");
    QTest::newRow("mime type") << QByteArray("MimeType=application/x-quillet;");
    QTest::newRow("categories") << QByteArray("Categories=Office;");
    QTest::newRow("icon, named like the installed icons") << QByteArray("Icon=") + InstalledFiles::AppId;
    QTest::newRow("type") << QByteArray("Type=Application");
    QTest::newRow("name") << QByteArray("Name=Quillet");
    // Where the user reads it, in Chinese.
    QTest::newRow("Chinese name") << QByteArray("Name[zh_CN]=Quillet 记事本");
    QTest::newRow("Chinese summary") << QByteArray("Comment[zh_CN]=在一个加密文件中管理记事本和任务列表");
}

void TestInstall::desktopEntryOpensNotesFiles()
{
    QFETCH(QByteArray, line);
    const QList<QByteArray> lines = readAll(desktopEntry()).split('\n');
    QVERIFY(lines.contains(QByteArray("[Desktop Entry]")));
    QVERIFY2(lines.contains(line), line.constData());
}

void TestInstall::metainfoValidates()
{
    QByteArray output;
    int code = run(u"appstreamcli"_s, {u"validate"_s, u"--no-net"_s, metainfo()}, &output);
    QVERIFY2(code == 0, output.constData());
    // The whole tree: the metainfo's launchable names the installed desktop entry.
    code = run(u"appstreamcli"_s, {u"validate-tree"_s, u"--no-net"_s, m_prefix.path()}, &output);
    QVERIFY2(code == 0, output.constData());
}

void TestInstall::metainfoDescribesThisRelease()
{
    const QByteArray xml = readAll(metainfo());
    QVERIFY(xml.contains(QByteArray("<id>") + InstalledFiles::AppId + "</id>"));
    QVERIFY(xml.contains(QByteArray("<launchable type=\"desktop-id\">") + InstalledFiles::AppId +
                         ".desktop</launchable>"));
    QVERIFY(xml.contains("<release version=\"" QUILLET_VERSION "\""));
    QVERIFY(xml.contains("<screenshot type=\"default\">"));
    QVERIFY(xml.contains("<mediatype>application/x-quillet</mediatype>"));
    // Every placeholder was filled in.
    QVERIFY(!QString::fromUtf8(xml).contains(QRegularExpression(u"@[A-Z_]+@"_s)));
    QVERIFY(xml.contains("<update_contact>" QUILLET_CONTACT_EMAIL "</update_contact>"));
}

void TestInstall::mimePackageNamesNotesFiles()
{
    // The desktop's own database tool builds the cache a file manager reads.
    const QString mimeDir = installed(u"share/mime"_s);
    QByteArray output;
    const int code = run(u"update-mime-database"_s, {mimeDir}, &output);
    QVERIFY2(code == 0, output.constData());
    QVERIFY2(readAll(mimeDir + u"/globs2"_s).contains("application/x-quillet:*.qlt"),
             readAll(mimeDir + u"/globs2"_s).constData());
    const QByteArray magic = readAll(mimeDir + u"/magic"_s);
    QVERIFY2(magic.contains("[50:application/x-quillet]"), magic.constData());
    QVERIFY(magic.contains(QByteArray("\x04qltf", 5)));
    const QByteArray types = readAll(mimeDir + u"/types"_s);
    QVERIFY(types.split('\n').contains("application/x-quillet"));
    const QByteArray type = readAll(mimeDir + u"/application/x-quillet.xml"_s);
    QVERIFY(type.contains("<comment>Quillet File</comment>"));
    QVERIFY(type.contains(u"<comment xml:lang=\"zh_CN\">Quillet 文件</comment>"_s.toUtf8()));
}

void TestInstall::installedCommandLineProgramRuns()
{
    QByteArray output;
    const int code = run(installed(u"bin/quillet-cli"_s), {u"--help"_s}, &output);
    QVERIFY2(code == 0, output.constData());
    QVERIFY2(output.contains("quillet-cli"), output.constData());
}

void TestInstall::installedProgramPrintsUsageWithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    QByteArray output;
    const int code = run(installed(u"bin/quillet"_s), {u"--help"_s}, &output, environment);
    QVERIFY2(code == 0, output.constData());
    QVERIFY2(output.contains("quillet [") && output.contains("-minimize"), output.constData());
    // A password on the command line is there for every user to see.
    QVERIFY2(QString::fromUtf8(output).contains(u"命令行上的密码本机所有用户"_s), output.constData());

    QCOMPARE(run(installed(u"bin/quillet"_s), {u"--version"_s}, &output, environment), 0);
    QCOMPARE(output, QByteArray("quillet (Quillet) " QUILLET_VERSION "\n"));

    // The manual pages say what --help says, Chinese included, under Chinese headings; groff sets
    // them without stretching the blanks of a Chinese line into gaps.
    if (!QUILLET_MAN_PAGES)
        QSKIP("built without help2man");
    QTemporaryDir pages;
    for (const char* program : {"quillet", "quillet-cli"}) {
        const QString page = installed(u"share/man/man1/%1.1.gz"_s.arg(QLatin1String(program)));
        QCOMPARE(run(u"gzip"_s, {u"-dc"_s, page}, &output), 0);
        QVERIFY2(output.contains(u".SH 名称\n"_s.toUtf8() + QByteArray(program) + " \\- ") &&
                     output.contains(u"用法: "_s.toUtf8()) && !output.contains(".SH NAME"),
                 output.constData());
        const QString source = pages.filePath(QLatin1String(program) + u".1"_s);
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(output) == output.size());
        file.close();
        QProcessEnvironment chinese = QProcessEnvironment::systemEnvironment();
        chinese.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        if (QStandardPaths::findExecutable(u"groff"_s).isEmpty())
            QSKIP("groff is not installed");
        QCOMPARE(run(u"groff"_s, {u"-k"_s, u"-Tutf8"_s, u"-man"_s, source}, &output, chinese), 0);
        const QString shown = QString::fromUtf8(output);
        QVERIFY2(shown.contains(u"名称"_s) && shown.contains(u"用户命令"_s), output.constData());
        if (qstrcmp(program, "quillet") == 0)
            QVERIFY2(shown.contains(u"启动时打开的 Quillet 文件 (.qlt);"_s), output.constData());
    }
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
