#include "ChildCase.h"
#include "TestFiles.h"

#include "platform/FileAssociation.h"

#include "platform/DesktopEntry.h"

#include "shared/QuilletError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {
const QString Exe = QStringLiteral("/opt/quillet/quillet");

QString associationError(int code)
{
    return QStringLiteral("创建文件关联错误:\r\n%1 - %2")
        .arg(code)
        .arg(QString::fromLocal8Bit(std::strerror(code)));
}

// A tool that only notes how it was called.
void writeRecordingTool(const QString& dir, const QString& name, const QString& log)
{
    const QString path = dir + QLatin1Char('/') + name;
    QVERIFY(writeFile(path,
                      "#!/bin/sh\necho \"" + name.toUtf8() + " $*\" >> '" + QFile::encodeName(log) + "'\n"));
    QVERIFY(QFile::setPermissions(path,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}
} // namespace

class TestFileAssociation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void paths_followXdgFolders();

    void register_writesMimePackage();
    void register_writesDesktopEntry_data();
    void register_writesDesktopEntry();
    void register_installedProgramUsesItsEntry();
    void register_createsMimeAppsList();
    void register_keepsOtherMimeAppsEntries();
    void register_replacesOwnDefaultOnly();
    void register_addsGroupWhenMissing();
    void register_twiceGivesSameFiles();
    void register_keepsMimeAppsPermissions();

    void register_runsRefreshToolsWhenInstalled();
    void register_withoutRefreshTools();
    void register_refreshesRealMimeDatabase();

    void register_failure_data();
    void register_failure();
    void register_failsInReadOnlyFolder();

private:
    void registerOrFail(const QString& exe = Exe);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
    QString m_configHome;
    QString m_toolDir;
    QByteArray m_savedPath;
};

void TestFileAssociation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dataHome = m_dir->filePath(QStringLiteral("data"));
    m_configHome = m_dir->filePath(QStringLiteral("config"));
    m_toolDir = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(m_toolDir));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome));
    qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
    // No refresh tools unless a test puts some there.
    m_savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_toolDir));
}

void TestFileAssociation::cleanup()
{
    qputenv("PATH", m_savedPath);
}

void TestFileAssociation::registerOrFail(const QString& exe)
{
    QString error;
    QVERIFY2(FileAssociation::registerFileType(exe, &error), qPrintable(error));
}

void TestFileAssociation::paths_followXdgFolders()
{
    QCOMPARE(FileAssociation::mimePackagePath(),
             m_dataHome + QStringLiteral("/mime/packages/application-x-quillet.xml"));
    QCOMPARE(FileAssociation::desktopEntryPath(),
             m_dataHome + QStringLiteral("/applications/quillet.desktop"));
    QCOMPARE(FileAssociation::mimeAppsListPath(), m_configHome + QStringLiteral("/mimeapps.list"));

    qputenv("XDG_DATA_HOME", "");
    qputenv("XDG_CONFIG_HOME", "");
    const QString home = m_dir->filePath(QStringLiteral("home"));
    QCOMPARE(FileAssociation::mimePackagePath(),
             home + QStringLiteral("/.local/share/mime/packages/application-x-quillet.xml"));
    QCOMPARE(FileAssociation::mimeAppsListPath(), home + QStringLiteral("/.config/mimeapps.list"));
}

void TestFileAssociation::register_writesMimePackage()
{
    registerOrFail();

    QXmlStreamReader xml(readFile(FileAssociation::mimePackagePath()));
    QStringList types, globs, comments;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-info"))
            QCOMPARE(xml.namespaceUri(),
                     QLatin1String("http://www.freedesktop.org/standards/shared-mime-info"));
        else if (xml.name() == QLatin1String("mime-type"))
            types << xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            globs << xml.attributes().value(QLatin1String("pattern")).toString();
        else if (xml.name() == QLatin1String("comment"))
            comments << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(types, QStringList{QStringLiteral("application/x-quillet")});
    QCOMPARE(globs, QStringList{QStringLiteral("*.qlt")});
    QCOMPARE(comments, QStringList{QStringLiteral("Quillet File")});
}

void TestFileAssociation::register_writesDesktopEntry_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QByteArray>("execLine");
    // Quoted only where the quoting rules ask for it: a launcher takes a quoted word for a program name.
    QTest::newRow("plain") << Exe << QByteArray("Exec=/opt/quillet/quillet %f");
    QTest::newRow("blank") << QStringLiteral("/home/u/My Apps/quillet")
                           << QByteArray("Exec=\"/home/u/My Apps/quillet\" %f");
    QTest::newRow("quote and percent")
        << QStringLiteral("/opt/a\"b%/quillet") << QByteArray("Exec=\"/opt/a\\\\\"b%%/quillet\" %f");
    QTest::newRow("Chinese") << QStringLiteral("/opt/记事/quillet")
                             << QByteArray("Exec=/opt/记事/quillet %f");
}

void TestFileAssociation::register_writesDesktopEntry()
{
    QFETCH(QString, exe);
    QFETCH(QByteArray, execLine);
    registerOrFail(exe);

    const QByteArray content = readFile(FileAssociation::desktopEntryPath());
    const QList<QByteArray> lines = content.split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Desktop Entry]"));
    for (const QByteArray& expected :
         {QByteArray("Type=Application"), QByteArray("Name=Quillet"), execLine,
          QByteArray("MimeType=application/x-quillet;"), QByteArray("Terminal=false"),
          QByteArray("Categories=Office;"), QByteArray("NoDisplay=true"),
          "TryExec=" + DesktopEntry::escapeString(exe).toUtf8()}) {
        QVERIFY2(lines.contains(expected), (expected + " missing in:\n" + content).constData());
    }
    // The program of the Exec line is the one to run, as a launcher splits it.
    const std::optional<QStringList> exec = DesktopEntry::splitExec(
        *DesktopEntry::value(content, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")));
    QCOMPARE(exec, (QStringList{exe, QStringLiteral("%f")}));
    // The desktop's own checker has nothing to say about it (installed with the build's packages).
    const QString validator = QStandardPaths::findExecutable(
        QStringLiteral("desktop-file-validate"), QString::fromLocal8Bit(m_savedPath).split(QLatin1Char(':')));
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {FileAssociation::desktopEntryPath()});
        QVERIFY(validate.waitForFinished());
        QCOMPARE(validate.readAll(), QByteArray());
    }
    QVERIFY(
        std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("Icon="); }));
}

void TestFileAssociation::register_installedProgramUsesItsEntry()
{
    // A program installed with its entry, and the entry an earlier registration wrote for it.
    const QString exe = m_dir->filePath(QStringLiteral("usr/bin/quillet"));
    QVERIFY(writeFile(exe, "#!/bin/sh\n"));
    QVERIFY(
        writeFile(m_dir->filePath(QStringLiteral("usr/share/applications/io.sourceforge.quillet.desktop")),
                  "[Desktop Entry]\n"));
    QVERIFY(writeFile(
        FileAssociation::desktopEntryPath(),
        "[Desktop Entry]\nName=Quillet\nExec=\"/usr/bin/quillet\" %f\nMimeType=application/x-quillet;\n"));
    registerOrFail(exe);
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()),
             QByteArray("[Default Applications]\napplication/x-quillet=io.sourceforge.quillet.desktop\n"));
    QVERIFY(!QFile::exists(FileAssociation::desktopEntryPath()));

    // Someone else's file of that name stays.
    const QByteArray foreign = "[Desktop Entry]\nName=Other\nMimeType=text/plain;\n";
    QVERIFY(writeFile(FileAssociation::desktopEntryPath(), foreign));
    registerOrFail(exe);
    QCOMPARE(readFile(FileAssociation::desktopEntryPath()), foreign);
}

void TestFileAssociation::register_createsMimeAppsList()
{
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()),
             QByteArray("[Default Applications]\napplication/x-quillet=quillet.desktop\n"));
}

void TestFileAssociation::register_keepsOtherMimeAppsEntries()
{
    const QByteArray before = "# my associations\n"
                              "[Added Associations]\n"
                              "text/plain=gedit.desktop;\n"
                              "\n"
                              "[Default Applications]\n"
                              "text/plain=gedit.desktop\n"
                              "image/png=eog.desktop\n"
                              "\n"
                              "[Removed Associations]\n"
                              "application/pdf=gimp.desktop;\n";
    QVERIFY(writeFile(FileAssociation::mimeAppsListPath(), before));
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()),
             QByteArray("# my associations\n"
                        "[Added Associations]\n"
                        "text/plain=gedit.desktop;\n"
                        "\n"
                        "[Default Applications]\n"
                        "text/plain=gedit.desktop\n"
                        "image/png=eog.desktop\n"
                        "application/x-quillet=quillet.desktop\n"
                        "\n"
                        "[Removed Associations]\n"
                        "application/pdf=gimp.desktop;\n"));
}

void TestFileAssociation::register_replacesOwnDefaultOnly()
{
    QVERIFY(writeFile(FileAssociation::mimeAppsListPath(), "[Added Associations]\n"
                                                           "application/x-quillet=other.desktop;\n"
                                                           "[Default Applications]\n"
                                                           "application/x-quillet=other.desktop\n"
                                                           "text/plain=gedit.desktop\n"
                                                           "application/x-quillet = third.desktop\n"));
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()),
             QByteArray("[Added Associations]\n"
                        "application/x-quillet=other.desktop;\n"
                        "[Default Applications]\n"
                        "application/x-quillet=quillet.desktop\n"
                        "text/plain=gedit.desktop\n"));
}

void TestFileAssociation::register_addsGroupWhenMissing()
{
    QVERIFY(
        writeFile(FileAssociation::mimeAppsListPath(), "[Added Associations]\ntext/plain=gedit.desktop;"));
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()),
             QByteArray("[Added Associations]\n"
                        "text/plain=gedit.desktop;\n"
                        "\n"
                        "[Default Applications]\n"
                        "application/x-quillet=quillet.desktop\n"));
}

void TestFileAssociation::register_twiceGivesSameFiles()
{
    QVERIFY(
        writeFile(FileAssociation::mimeAppsListPath(), "[Default Applications]\ntext/plain=gedit.desktop\n"));
    registerOrFail();
    const QByteArray mimeApps = readFile(FileAssociation::mimeAppsListPath());
    const QByteArray entry = readFile(FileAssociation::desktopEntryPath());
    const QByteArray package = readFile(FileAssociation::mimePackagePath());
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()), mimeApps);
    QCOMPARE(readFile(FileAssociation::desktopEntryPath()), entry);
    QCOMPARE(readFile(FileAssociation::mimePackagePath()), package);
    // No temporary files left beside them.
    QCOMPARE(QDir(m_configHome).entryList(QDir::Files), QStringList{QStringLiteral("mimeapps.list")});
    QCOMPARE(QDir(m_dataHome + QStringLiteral("/applications")).entryList(QDir::Files),
             QStringList{QStringLiteral("quillet.desktop")});
}

void TestFileAssociation::register_keepsMimeAppsPermissions()
{
    QVERIFY(writeFile(FileAssociation::mimeAppsListPath(), "[Default Applications]\n"));
    QVERIFY(QFile::setPermissions(FileAssociation::mimeAppsListPath(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QFileDevice::Permissions before = QFile::permissions(FileAssociation::mimeAppsListPath());
    registerOrFail();
    QVERIFY(readFile(FileAssociation::mimeAppsListPath()).contains("application/x-quillet=quillet.desktop"));
    const QFileDevice::Permissions after = QFile::permissions(FileAssociation::mimeAppsListPath());
    QCOMPARE(after, before);
    QVERIFY(!(after & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
}

void TestFileAssociation::register_runsRefreshToolsWhenInstalled()
{
    const QString log = m_dir->filePath(QStringLiteral("tools.log"));
    writeRecordingTool(m_toolDir, QStringLiteral("update-mime-database"), log);
    writeRecordingTool(m_toolDir, QStringLiteral("update-desktop-database"), log);
    registerOrFail();
    QCOMPARE(readFile(log), ("update-mime-database " + QFile::encodeName(m_dataHome) + "/mime\n" +
                             "update-desktop-database " + QFile::encodeName(m_dataHome) + "/applications\n"));
}

void TestFileAssociation::register_withoutRefreshTools()
{
    const QString log = m_dir->filePath(QStringLiteral("tools.log"));
    writeRecordingTool(m_toolDir, QStringLiteral("update-desktop-database"), log);
    registerOrFail();
    QCOMPARE(readFile(log), ("update-desktop-database " + QFile::encodeName(m_dataHome) + "/applications\n"));
    QVERIFY(QFileInfo::exists(FileAssociation::mimePackagePath()));
}

void TestFileAssociation::register_refreshesRealMimeDatabase()
{
    qputenv("PATH", m_savedPath);
    if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QSKIP("update-mime-database is not installed");
    registerOrFail();
    // What the desktop reads: the compiled cache and the per-type file.
    QVERIFY(QFileInfo::exists(m_dataHome + QStringLiteral("/mime/mime.cache")));
    const QByteArray type = readFile(m_dataHome + QStringLiteral("/mime/application/x-quillet.xml"));
    QVERIFY2(type.contains("*.qlt"), type.constData());
}

void TestFileAssociation::register_failure_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("missing");

    // A plain file where a folder must go makes the failure certain, also for root.
    QTest::newRow("data folder") << QStringLiteral("data") << QStringList{}
                                 << QStringList{
                                        QStringLiteral("data/mime/packages/application-x-quillet.xml")};
    QTest::newRow("applications folder")
        << QStringLiteral("data/applications")
        << QStringList{QStringLiteral("data/mime/packages/application-x-quillet.xml")}
        << QStringList{QStringLiteral("config/mimeapps.list")};
    QTest::newRow("config folder") << QStringLiteral("config")
                                   << QStringList{QStringLiteral(
                                                      "data/mime/packages/application-x-quillet.xml"),
                                                  QStringLiteral("data/applications/quillet.desktop")}
                                   << QStringList{};
}

void TestFileAssociation::register_failure()
{
    QFETCH(QString, blocked);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, missing);

    const QString log = m_dir->filePath(QStringLiteral("tools.log"));
    writeRecordingTool(m_toolDir, QStringLiteral("update-mime-database"), log);
    QVERIFY(writeFile(m_dir->filePath(blocked), "in the way"));

    QString message;
    QVERIFY(!FileAssociation::registerFileType(Exe, &message));
    QCOMPARE(message, associationError(ENOTDIR));
    for (const QString& file : kept)
        QVERIFY2(QFileInfo(m_dir->filePath(file)).size() > 0, qPrintable(file));
    for (const QString& file : missing)
        QVERIFY2(!QFileInfo::exists(m_dir->filePath(file)), qPrintable(file));
    QCOMPARE(readFile(m_dir->filePath(blocked)), QByteArray("in the way"));
    // Registration stops at the failure: no refresh of a half-made association.
    QVERIFY(!QFileInfo::exists(log));
}

void TestFileAssociation::register_failsInReadOnlyFolder()
{
    if (!runsUnprivileged())
        return;
    QVERIFY(QDir().mkpath(m_configHome));
    QVERIFY(QFile::setPermissions(m_configHome, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString message;
    QVERIFY(!FileAssociation::registerFileType(Exe, &message));
    QFile::setPermissions(m_configHome,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(message, associationError(EACCES));
    QVERIFY(QFileInfo::exists(FileAssociation::desktopEntryPath()));
}

QTEST_GUILESS_MAIN(TestFileAssociation)
#include "tst_fileassociation.moc"
