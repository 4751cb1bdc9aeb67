#include "shared/RegularFile.h"

#include <QDateTime>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

#ifdef Q_OS_UNIX

namespace {

int flagsFor(QIODevice::OpenMode mode)
{
    int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    if (!(mode & QIODevice::WriteOnly))
        return flags | O_RDONLY;
    flags |= (mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
    if (mode & QIODevice::Append)
        flags |= O_APPEND;
    if (mode & QIODevice::NewOnly)
        flags |= O_CREAT | O_EXCL;
    else if (!(mode & QIODevice::ExistingOnly))
        flags |= O_CREAT;
    return flags;
}

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

Opened open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flagsFor(mode), 0666);
    if (fd < 0)
        return errno == ENOENT ? Opened::Missing : Opened::Refused;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Opened::Refused;
    }
    if (!file.open(fd, mode & ~QIODevice::OpenMode(QIODevice::NewOnly | QIODevice::ExistingOnly),
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Opened::Refused;
    }
    return Opened::Yes;
}

Opened openToRead(QFile& file, const QString& path, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int reason = errno;
        *error = qt_error_string(reason);
        // A link that leads nowhere, or in a circle, leads to no file.
        return reason == ENOENT || reason == ELOOP ? Opened::Missing : Opened::Refused;
    }
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error =
            S_ISDIR(info.st_mode) ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file");
        ::close(fd);
        return Opened::Refused;
    }
    return Opened::Yes;
}

QString followOwnLink(const QString& path)
{
    const uid_t user = ::geteuid();
    struct stat link;
    struct stat folder;
    const QFileInfo info(path);
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0 || !S_ISLNK(link.st_mode) ||
        link.st_uid != user || ::stat(QFile::encodeName(info.absolutePath()).constData(), &folder) != 0 ||
        folder.st_uid != user || (folder.st_mode & (S_IWGRP | S_IWOTH)))
        return path;
    // Only to a file that is there: a write must not make one wherever the link points.
    const QString target = info.symLinkTarget();
    return QFileInfo(target).isFile() ? target : path;
}

bool isOtherThanRegular(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

namespace {

Stamp statStamp(const struct stat& info)
{
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size), nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

} // namespace

Stamp stampOf(const QFileDevice& file)
{
    struct stat info;
    return ::fstat(file.handle(), &info) == 0 ? statStamp(info) : Stamp();
}

bool syncToDisk(const QFileDevice& file)
{
    return ::fsync(file.handle()) == 0;
}

Stamp stampAt(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? statStamp(info) : Stamp();
}

bool sameFile(const Stamp& a, const Stamp& b)
{
    return a.device == b.device && a.inode == b.inode;
}

#else

// Here an open file can be neither a pipe that blocks nor replaced while open; links are rare and
// need rights most users do not have, so the checks are made by name.
Opened open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink() && !(mode & QIODevice::WriteOnly))
        return Opened::Missing;
    if (isOtherThanRegular(path))
        return Opened::Refused;
    file.setFileName(path);
    if (file.open(mode))
        return Opened::Yes;
    return QFileInfo::exists(path) ? Opened::Refused : Opened::Missing;
}

Opened openToRead(QFile& file, const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Opened::Missing;
    if (!info.isFile()) {
        *error = info.isDir() ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file");
        return Opened::Refused;
    }
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return Opened::Yes;
    *error = file.errorString();
    return Opened::Refused;
}

// Links here need rights most users do not have: none is followed.
QString followOwnLink(const QString& path)
{
    return path;
}

bool isOtherThanRegular(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() || (info.exists() && !info.isFile());
}

Stamp stampAt(const QString& path)
{
    const QFileInfo info(path);
    return {0, 0, info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000,
            info.metadataChangeTime().toMSecsSinceEpoch() * 1000000};
}

Stamp stampOf(const QFileDevice& file)
{
    return stampAt(file.fileName());
}

// Left to the commit of the file, which syncs it itself.
bool syncToDisk(const QFileDevice&)
{
    return true;
}

// Without a file's identity, and with an open file that nobody can replace.
bool sameFile(const Stamp&, const Stamp&)
{
    return true;
}

#endif

} // namespace RegularFile
