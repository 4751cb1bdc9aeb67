#include "shared/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <fcntl.h>
#include <io.h>
#include <windows.h>
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

Stamp stampAt(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? statStamp(info) : Stamp();
}

bool sameFile(const Stamp& a, const Stamp& b)
{
    return a.device == b.device && a.inode == b.inode;
}

qint64 linkedSize(const QFile& file)
{
    struct stat info;
    if (::fstat(file.handle(), &info) != 0 || info.st_nlink == 0)
        return -1;
    return qint64(info.st_size);
}

#else

namespace {

HANDLE osHandle(const QFileDevice& file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
}

qint64 nanoseconds(LONGLONG fileTime)
{
    // 100-nanosecond steps since 1601; only equality matters.
    return qint64(fileTime) * 100;
}

} // namespace

// Opened with every sharing right, so that the file can still be renamed over or deleted by others while
// it is open, as on Unix; a reparse point (a symbolic link or junction) is opened as itself and refused.
Opened open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const bool writes = mode & QIODevice::WriteOnly;
    DWORD access = (mode & QIODevice::ReadOnly) ? GENERIC_READ : 0;
    if (writes)
        access |= (mode & QIODevice::Append) ? FILE_APPEND_DATA : GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if (mode & QIODevice::NewOnly)
        disposition = CREATE_NEW;
    else if (writes && !(mode & QIODevice::ExistingOnly))
        disposition = OPEN_ALWAYS;
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), access,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Opened::Missing
                                                                              : Opened::Refused;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(handle);
        return Opened::Refused;
    }
    int flags = _O_BINARY | (!writes ? _O_RDONLY : (mode & QIODevice::ReadOnly) ? _O_RDWR : _O_WRONLY);
    if (mode & QIODevice::Append)
        flags |= _O_APPEND;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        return Opened::Refused;
    }
    if (!file.open(fd, mode & ~QIODevice::OpenMode(QIODevice::NewOnly | QIODevice::ExistingOnly),
                   QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return Opened::Refused;
    }
    return Opened::Yes;
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
    const DWORD attributes =
        GetFileAttributesW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

Stamp stampAt(const QString& path)
{
    const QFileInfo info(path);
    return {0, 0, info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000,
            info.metadataChangeTime().toMSecsSinceEpoch() * 1000000};
}

Stamp stampOf(const QFileDevice& file)
{
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandle(osHandle(file), &info) ||
        !GetFileInformationByHandleEx(osHandle(file), FileBasicInfo, &basic, sizeof basic))
        return {};
    return {quint64(info.dwVolumeSerialNumber), (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow, nanoseconds(basic.LastWriteTime.QuadPart),
            nanoseconds(basic.ChangeTime.QuadPart)};
}

qint64 linkedSize(const QFile& file)
{
    FILE_STANDARD_INFO info;
    if (!GetFileInformationByHandleEx(osHandle(file), FileStandardInfo, &info, sizeof info) ||
        info.DeletePending || info.NumberOfLinks == 0)
        return -1;
    return qint64(info.EndOfFile.QuadPart);
}

// A stamp taken by path carries no file identity here: such a pair cannot be told apart.
bool sameFile(const Stamp& a, const Stamp& b)
{
    if (a.inode == 0 || b.inode == 0)
        return true;
    return a.device == b.device && a.inode == b.inode;
}

#endif

} // namespace RegularFile
