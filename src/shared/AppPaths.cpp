#include "shared/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace AppPaths {
namespace {
QString inDataDir(const char* name)
{
    return dataDir() + QDir::separator() + QLatin1String(name);
}
} // namespace

QString executablePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

QString dataDir()
{
    const QString overridden = qEnvironmentVariable("QUILLET_APPDIR");
    const QString dir = overridden.isEmpty() ? QCoreApplication::applicationDirPath() : overridden;
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(dir).absolutePath()));
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
    return inDataDir("License.txt");
}

QString helpFilePath()
{
    return inDataDir("Quillet.chm");
}

} // namespace AppPaths
