#include "shared/FileOwner.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileOwner {

void copy(const QString& path, QFileDevice& file)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return;
    if (::fchown(file.handle(), info.st_uid, info.st_gid) != 0) {
        // Not root: the owner stays the writer, but the group can still be kept.
        [[maybe_unused]] const int groupKept = ::fchown(file.handle(), uid_t(-1), info.st_gid);
    }
    // The set-group-ID bit (a shared folder's group files), which Qt's permissions do not carry and a
    // change of owner clears; never set-user-ID, which a notes file has no use for.
    [[maybe_unused]] const int modeKept = ::fchmod(file.handle(), info.st_mode & (S_ISGID | 0777));
#else
    // Here a new file takes the rights the folder passes on.
    Q_UNUSED(path);
    Q_UNUSED(file);
#endif
}

bool mayFollowLink(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat link;
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return true;
    struct stat folder;
    if (::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) || (folder.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == 0;
#else
    // Links here need rights most users do not have.
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace FileOwner
