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

using namespace Qt::StringLiterals;

namespace {
const QString Exe = u"/opt/quillet/quillet"_s;

QString associationError(int code)
{
    return u"创建文件关联错误:\r\n%1 - %2"_s.arg(code).arg(QString::fromLocal8Bit(std::strerror(code)));
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
    void register_setsOwnDefaultOnly_data();
    void register_setsOwnDefaultOnly();
    void register_twiceGivesSameFiles();
    void register_keepsMimeAppsPermissions();

    void register_runsRefreshToolsWhenInstalled_data();
    void register_runsRefreshToolsWhenInstalled();
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
    m_dataHome = m_dir->filePath(u"data"_s);
    m_configHome = m_dir->filePath(u"config"_s);
    m_toolDir = m_dir->filePath(u"bin"_s);
    QVERIFY(QDir().mkpath(m_toolDir));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome));
    qputenv("HOME", QFile::encodeName(m_dir->filePath(u"home"_s)));
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
    QCOMPARE(FileAssociation::mimePackagePath(), m_dataHome + u"/mime/packages/application-x-quillet.xml"_s);
    QCOMPARE(FileAssociation::desktopEntryPath(), m_dataHome + u"/applications/quillet.desktop"_s);
    QCOMPARE(FileAssociation::mimeAppsListPath(), m_configHome + u"/mimeapps.list"_s);

    qputenv("XDG_DATA_HOME", "");
    qputenv("XDG_CONFIG_HOME", "");
    const QString home = m_dir->filePath(u"home"_s);
    QCOMPARE(FileAssociation::mimePackagePath(),
             home + u"/.local/share/mime/packages/application-x-quillet.xml"_s);
    QCOMPARE(FileAssociation::mimeAppsListPath(), home + u"/.config/mimeapps.list"_s);
}

void TestFileAssociation::register_writesMimePackage()
{
    registerOrFail();

    QXmlStreamReader xml(readFile(FileAssociation::mimePackagePath()));
    QStringList types, globs, comments;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == "mime-info"_L1)
            QCOMPARE(xml.namespaceUri(), "http://www.freedesktop.org/standards/shared-mime-info"_L1);
        else if (xml.name() == "mime-type"_L1)
            types << xml.attributes().value("type"_L1).toString();
        else if (xml.name() == "glob"_L1)
            globs << xml.attributes().value("pattern"_L1).toString();
        else if (xml.name() == "comment"_L1) {
            const QString language =
                xml.attributes().value("http://www.w3.org/XML/1998/namespace"_L1, "lang"_L1).toString();
            comments << language + u':' + xml.readElementText();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(types, QStringList{u"application/x-quillet"_s});
    QCOMPARE(globs, QStringList{u"*.qlt"_s});
    // English where no translation fits the user's language, Chinese for Chinese users.
    QCOMPARE(comments, (QStringList{u":Quillet File"_s, u"zh_CN:Quillet 文件"_s}));
}

void TestFileAssociation::register_writesDesktopEntry_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QByteArray>("execLine");
    // Quoted only where the quoting rules ask for it: a launcher takes a quoted word for a program name.
    QTest::newRow("plain") << Exe << QByteArray("Exec=/opt/quillet/quillet %f");
    QTest::newRow("blank") << u"/home/u/My Apps/quillet"_s
                           << QByteArray("Exec=\"/home/u/My Apps/quillet\" %f");
    QTest::newRow("quote and percent")
        << u"/opt/a\"b%/quillet"_s << QByteArray("Exec=\"/opt/a\\\\\"b%%/quillet\" %f");
    QTest::newRow("Chinese") << u"/opt/记事/quillet"_s << QByteArray("Exec=/opt/记事/quillet %f");
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
    const std::optional<QStringList> exec =
        DesktopEntry::splitExec(*DesktopEntry::value(content, u"Desktop Entry"_s, u"Exec"_s));
    QCOMPARE(exec, (QStringList{exe, u"%f"_s}));
    // The desktop's own checker has nothing to say about it (installed with the build's packages).
    const QString validator = QStandardPaths::findExecutable(
        u"desktop-file-validate"_s, QString::fromLocal8Bit(m_savedPath).split(QLatin1Char(':')));
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
    const QString exe = m_dir->filePath(u"usr/bin/quillet"_s);
    QVERIFY(writeFile(exe, "#!/bin/sh\n"));
    QVERIFY(writeFile(m_dir->filePath(u"usr/share/applications/io.sourceforge.quillet.desktop"_s),
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

void TestFileAssociation::register_setsOwnDefaultOnly_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("no list yet") << QByteArray()
                                 << QByteArray(
                                        "[Default Applications]\napplication/x-quillet=quillet.desktop\n");
    const QByteArray others = "# my associations\n"
                              "[Added Associations]\n"
                              "text/plain=gedit.desktop;\n"
                              "\n"
                              "[Default Applications]\n"
                              "text/plain=gedit.desktop\n"
                              "image/png=eog.desktop\n"
                              "\n"
                              "[Removed Associations]\n"
                              "application/pdf=gimp.desktop;\n";
    QTest::newRow("other entries kept")
        << others
        << QByteArray(others).replace("eog.desktop\n",
                                      "eog.desktop\napplication/x-quillet=quillet.desktop\n");
    QTest::newRow("own default replaced") << QByteArray("[Added Associations]\n"
                                                        "application/x-quillet=other.desktop;\n"
                                                        "[Default Applications]\n"
                                                        "application/x-quillet=other.desktop\n"
                                                        "text/plain=gedit.desktop\n"
                                                        "application/x-quillet = third.desktop\n")
                                          << QByteArray("[Added Associations]\n"
                                                        "application/x-quillet=other.desktop;\n"
                                                        "[Default Applications]\n"
                                                        "application/x-quillet=quillet.desktop\n"
                                                        "text/plain=gedit.desktop\n");
    QTest::newRow("group added when missing") << QByteArray("[Added Associations]\ntext/plain=gedit.desktop;")
                                              << QByteArray("[Added Associations]\n"
                                                            "text/plain=gedit.desktop;\n"
                                                            "\n"
                                                            "[Default Applications]\n"
                                                            "application/x-quillet=quillet.desktop\n");
}

void TestFileAssociation::register_setsOwnDefaultOnly()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        QVERIFY(writeFile(FileAssociation::mimeAppsListPath(), before));
    registerOrFail();
    QCOMPARE(readFile(FileAssociation::mimeAppsListPath()), after);
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
    QCOMPARE(QDir(m_configHome).entryList(QDir::Files), QStringList{u"mimeapps.list"_s});
    QCOMPARE(QDir(m_dataHome + u"/applications"_s).entryList(QDir::Files), QStringList{u"quillet.desktop"_s});
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

void TestFileAssociation::register_runsRefreshToolsWhenInstalled_data()
{
    QTest::addColumn<QStringList>("tools");
    QTest::newRow("both") << QStringList{u"update-mime-database"_s, u"update-desktop-database"_s};
    QTest::newRow("desktop database only") << QStringList{u"update-desktop-database"_s};
}

void TestFileAssociation::register_runsRefreshToolsWhenInstalled()
{
    QFETCH(QStringList, tools);
    const QString log = m_dir->filePath(u"tools.log"_s);
    QByteArray expected;
    for (const QString& tool : tools) {
        writeRecordingTool(m_toolDir, tool, log);
        expected += tool.toUtf8() + ' ' + QFile::encodeName(m_dataHome) +
                    (tool == u"update-mime-database" ? "/mime\n" : "/applications\n");
    }
    registerOrFail();
    QCOMPARE(readFile(log), expected);
    QVERIFY(QFileInfo::exists(FileAssociation::mimePackagePath()));
}

void TestFileAssociation::register_refreshesRealMimeDatabase()
{
    qputenv("PATH", m_savedPath);
    if (QStandardPaths::findExecutable(u"update-mime-database"_s).isEmpty())
        QSKIP("update-mime-database is not installed");
    registerOrFail();
    // What the desktop reads: the compiled cache and the per-type file.
    QVERIFY(QFileInfo::exists(m_dataHome + u"/mime/mime.cache"_s));
    const QByteArray type = readFile(m_dataHome + u"/mime/application/x-quillet.xml"_s);
    QVERIFY2(type.contains("*.qlt"), type.constData());
}

void TestFileAssociation::register_failure_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("missing");

    // A plain file where a folder must go makes the failure certain, also for root.
    QTest::newRow("data folder") << u"data"_s << QStringList{}
                                 << QStringList{u"data/mime/packages/application-x-quillet.xml"_s};
    QTest::newRow("applications folder")
        << u"data/applications"_s << QStringList{u"data/mime/packages/application-x-quillet.xml"_s}
        << QStringList{u"config/mimeapps.list"_s};
    QTest::newRow("config folder") << u"config"_s
                                   << QStringList{u"data/mime/packages/application-x-quillet.xml"_s,
                                                  u"data/applications/quillet.desktop"_s}
                                   << QStringList{};
}

void TestFileAssociation::register_failure()
{
    QFETCH(QString, blocked);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, missing);

    const QString log = m_dir->filePath(u"tools.log"_s);
    writeRecordingTool(m_toolDir, u"update-mime-database"_s, log);
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
