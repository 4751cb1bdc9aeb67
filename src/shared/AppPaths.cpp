#include "shared/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace AppPaths {
namespace {

QString overrideDir()
{
    const QString overridden = qEnvironmentVariable("QUILLET_APPDIR");
    if (overridden.isEmpty())
        return {};
    return QDir::cleanPath(QDir(overridden).absolutePath());
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

QString inDataDir(const char* name)
{
    return dataDir() + QDir::separator() + QLatin1String(name);
}

QString shipped(const char* name)
{
    const QString overridden = overrideDir();
    if (!overridden.isEmpty())
        return native(overridden + QLatin1Char('/') + QLatin1String(name));
    return shippedFilePath(QCoreApplication::applicationDirPath(), QLatin1String(name));
}

// Permission bits do not answer this: root writes to a folder of mode 0555, nobody writes to a
// read-only file system. Only creating a file tells.
bool canCreateFilesIn(const QString& dir)
{
    QTemporaryFile probe(dir + QStringLiteral("/.quillet-probe-XXXXXX"));
    return probe.open();
}

bool isInstalledLayout(const QString& exeDir)
{
#ifdef Q_OS_WIN
    // The installer leaves its uninstaller beside the program; a portable copy has none.
    return QFileInfo::exists(exeDir + QStringLiteral("/Uninstall.exe"));
#else
    return QFileInfo(installedShareDir(exeDir)).isDir();
#endif
}

// The trace call asks for the log path on every line, so the probe runs once per folder.
bool keepsDataBeside(const QString& exeDir)
{
    static QMutex mutex;
    static QHash<QString, bool> answers;
    const QMutexLocker lock(&mutex);
    const auto known = answers.constFind(exeDir);
    if (known != answers.cend())
        return *known;
    const bool beside = !isInstalledLayout(exeDir) && canCreateFilesIn(exeDir);
    answers.insert(exeDir, beside);
    return beside;
}

QString configDirMadeOnDemand()
{
    const QString dir = configDir();
    // A folder that cannot be made is left for the writes to report; the path stays the same. The
    // recent-files list names the user's files, so the folder is the user's alone.
    if (!QFileInfo(dir).isDir()) {
        QDir().mkpath(QFileInfo(dir).absolutePath());
        QDir().mkdir(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return native(dir);
}

} // namespace

QString executablePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

QString executableDir()
{
    const QString overridden = overrideDir();
    return native(overridden.isEmpty() ? QCoreApplication::applicationDirPath() : overridden);
}

QString dataDir()
{
    const QString overridden = overrideDir();
    if (!overridden.isEmpty())
        return native(overridden);
    return dataDirFor(QCoreApplication::applicationDirPath());
}

QString iniFileName()
{
    return inDataDir("Quillet.ini");
}

QString debugLogPath()
{
    return inDataDir("qltdbg.dat");
}

QString errorLogPath()
{
    return inDataDir("ErrorLog.txt");
}

QString licensePath()
{
    return shipped("License.txt");
}

QString helpFilePath()
{
    // A compiled help file, where one is put, comes first; the help this program ships is HTML, which
    // every desktop opens.
    const QString compiled = shipped("Quillet.chm");
    if (QFileInfo::exists(compiled))
        return compiled;
    const QString html = shipped("Quillet.html");
    return QFileInfo::exists(html) ? html : compiled;
}

QString baseDirectory(QStandardPaths::StandardLocation location, const char* fallback)
{
    const QString base = QStandardPaths::writableLocation(location);
    if (QDir::isAbsolutePath(base))
        return QDir::cleanPath(base);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback));
}

QString configDir()
{
#ifdef Q_OS_WIN
    // The roaming profile, where a Windows program keeps what follows the user from machine to machine.
    const QString appData = qEnvironmentVariable("APPDATA");
    if (QDir::isAbsolutePath(appData))
        return QDir::cleanPath(appData) + QStringLiteral("/Quillet");
#endif
    return baseDirectory(QStandardPaths::GenericConfigLocation, ".config") + QStringLiteral("/Quillet");
}

QString dataDirFor(const QString& exeDir)
{
    const QString dir = QDir::cleanPath(QDir(exeDir).absolutePath());
    return keepsDataBeside(dir) ? native(dir) : configDirMadeOnDemand();
}

QString installedShareDir(const QString& exeDir)
{
    return QDir::cleanPath(QDir(exeDir).absolutePath() + QStringLiteral("/../share/quillet"));
}

QString shippedFilePath(const QString& exeDir, const QString& name)
{
    const QString beside = QDir(exeDir).absoluteFilePath(name);
    if (QFileInfo::exists(beside))
        return native(beside);
    const QString installed = installedShareDir(exeDir) + QLatin1Char('/') + name;
    if (QFileInfo::exists(installed))
        return native(installed);
    return native(beside);
}

} // namespace AppPaths
