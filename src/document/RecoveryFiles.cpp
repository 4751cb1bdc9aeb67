#include "document/RecoveryFiles.h"

#include "document/RecentFiles.h"
#include "shared/AppPaths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>

namespace {

const QLatin1StringView Prefix("Recovery-");
const QLatin1StringView UnnamedPrefix("Recovery-new-");
const QLatin1StringView Extension(".qlt");

QString inDataDir(const QString& name)
{
    return AppPaths::dataDir() + QDir::separator() + name;
}

} // namespace

namespace RecoveryFiles {

// Named after the notes file's full path, which a settings folder's file name could not hold, nor should
// show to whoever lists the folder.
QString pathFor(const QString& notesPath)
{
    // The same for the whole run, and no other run's, which may have left one behind under its own id.
    static const QString unnamed = UnnamedPrefix + QString::number(QDateTime::currentMSecsSinceEpoch()) +
                                   QLatin1Char('-') + QString::number(QCoreApplication::applicationPid()) +
                                   Extension;
    if (notesPath.isEmpty())
        return inDataDir(unnamed);
    const QByteArray hash =
        QCryptographicHash::hash(RecentFiles::fullPath(notesPath).toUtf8(), QCryptographicHash::Sha256);
    return inDataDir(Prefix + QString::fromLatin1(hash.first(16).toHex()) + Extension);
}

QString unnamedLeftBehind()
{
    const QStringList found = QDir(AppPaths::dataDir())
                                  .entryList({UnnamedPrefix + QLatin1Char('*') + Extension},
                                             QDir::Files | QDir::Hidden, QDir::Time | QDir::Reversed);
    return found.isEmpty() ? QString() : inDataDir(found.constFirst());
}

} // namespace RecoveryFiles
