#include "shared/SaveFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The name a killed save may leave behind: the target's with six letters or digits after a dot.
QString temporaryNameFor(const QString& target)
{
    QString name = target + QLatin1Char('.');
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof(Letters) - 1))]);
    return name;
}

} // namespace

// As QSaveFile does, the new file has no name while it is written, so that a crash leaves nothing half
// written behind; unlike QSaveFile, it is named before it takes the target's place, which exchanging the
// two needs.
struct SaveFile::Private
{
    // A link is saved through, into the file it leads to, as QSaveFile does; callers refuse the links that
    // must not be followed.
    explicit Private(const QString& path)
        : target(QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : path)
    {}

    bool fail(int error)
    {
        errorString = qt_error_string(error);
        errorCode = error;
        return false;
    }
    void removeTemporary()
    {
        if (file.isOpen())
            file.close();
        if (!temporary.isEmpty())
            ::unlink(QFile::encodeName(temporary).constData());
        temporary.clear();
    }
    // Writes what is buffered and puts it on the disk, gives an unnamed file its name, and closes it.
    bool finishWriting()
    {
        bool done = file.flush() && (file.pos() == syncedAt || ::fsync(file.handle()) == 0);
        if (done && temporary.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.handle());
            do {
                temporary = temporaryNameFor(target);
                done = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD,
                                QFile::encodeName(temporary).constData(), AT_SYMLINK_FOLLOW) == 0;
            } while (!done && errno == EEXIST);
            if (!done)
                temporary.clear();
        }
        const int error = errno;
        file.close();
        return done || fail(error);
    }

    const QString target;
    QString temporary; // while there is one
    QFile file;
    qint64 syncedAt = -1; // how much was written when it was last put on the disk
    QString replaced;
    QString errorString;
    int errorCode = 0;
};

SaveFile::SaveFile(const QString& target) : d(std::make_unique<Private>(target)) {}

SaveFile::~SaveFile()
{
    d->removeTemporary();
}

bool SaveFile::open()
{
    // A new file follows the umask, as one QSaveFile makes.
    const QByteArray folder = QFile::encodeName(QFileInfo(d->target).absolutePath());
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    // Some file systems have no unnamed files: then it has its name from the start.
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
        do {
            d->temporary = temporaryNameFor(d->target);
            fd = ::open(QFile::encodeName(d->temporary).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        } while (fd < 0 && errno == EEXIST);
    }
    if (fd < 0) {
        d->temporary.clear();
        return d->fail(errno);
    }
    // An existing file's permissions go to its replacement, as QSaveFile gives them.
    struct stat existing;
    if (::stat(QFile::encodeName(d->target).constData(), &existing) == 0 &&
        ::fchmod(fd, existing.st_mode & 0777) != 0) {
        const int error = errno;
        ::close(fd);
        d->removeTemporary();
        return d->fail(error);
    }
    if (!d->file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        d->errorString = d->file.errorString();
        d->removeTemporary();
        return false;
    }
    return true;
}

QFileDevice& SaveFile::device()
{
    return d->file;
}

bool SaveFile::setPermissions(QFileDevice::Permissions permissions)
{
    return d->file.setPermissions(permissions);
}

bool SaveFile::sync()
{
    if (!d->file.flush())
        return false;
    if (::fsync(d->file.handle()) != 0)
        return d->fail(errno);
    d->syncedAt = d->file.pos();
    return true;
}

bool SaveFile::commit()
{
    if (!d->finishWriting())
        return false;
    if (std::rename(QFile::encodeName(d->temporary).constData(), QFile::encodeName(d->target).constData()) !=
        0)
        return d->fail(errno);
    d->temporary.clear();
    return true;
}

bool SaveFile::commitKeepingReplaced()
{
    d->replaced.clear();
    struct stat target;
    if (::lstat(QFile::encodeName(d->target).constData(), &target) != 0 || !S_ISREG(target.st_mode))
        return commit();
    if (!d->finishWriting())
        return false;
    // In one step: no other version can slip in between a last look and the rename and be lost.
    if (::renameat2(AT_FDCWD, QFile::encodeName(d->temporary).constData(), AT_FDCWD,
                    QFile::encodeName(d->target).constData(), RENAME_EXCHANGE) == 0) {
        d->replaced = d->temporary;
        d->temporary.clear();
        return true;
    }
    // File systems that cannot exchange (some network ones) get the plain replacement.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return d->fail(errno);
    if (std::rename(QFile::encodeName(d->temporary).constData(), QFile::encodeName(d->target).constData()) !=
        0)
        return d->fail(errno);
    d->temporary.clear();
    return true;
}

QString SaveFile::replacedPath() const
{
    return d->replaced;
}

void SaveFile::cancel()
{
    d->removeTemporary();
}

QString SaveFile::errorString() const
{
    return d->errorString.isEmpty() ? d->file.errorString() : d->errorString;
}

int SaveFile::errorCode() const
{
    return d->errorCode;
}
