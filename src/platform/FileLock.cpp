#include "platform/FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Made
{
    Created,
    Exists,
    Failed
};

enum class Aside
{
    Removed, // the stale lock is gone
    Changed, // the lock was no longer the one judged stale, or vanished: look again
    Failed
};

struct LockInfo
{
    bool valid = false;
    qint64 pid = 0;
    QByteArray host;
    QByteArray boot;
    QByteArray start;
    QDateTime since;
};

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A lock file is a few lines; anything longer is not one of ours and is read only in part.
bool readSmallFile(const QByteArray& path, QByteArray* content, int* error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    char buffer[4096];
    qsizetype done = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer + done, sizeof buffer - size_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = errno;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        done += got;
        if (done == qsizetype(sizeof buffer))
            break;
    }
    ::close(fd);
    *content = QByteArray(buffer, done);
    return true;
}

QByteArray readProcFile(const QByteArray& path)
{
    QByteArray content;
    int error = 0;
    return readSmallFile(path, &content, &error) ? content.trimmed() : QByteArray();
}

QByteArray hostName()
{
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    return host.isEmpty() ? QByteArrayLiteral("localhost") : host;
}

QByteArray bootId()
{
    static const QByteArray id = readProcFile("/proc/sys/kernel/random/boot_id");
    return id;
}

// Fields of /proc/<pid>/stat after the command name, which is in parentheses and may hold spaces.
QList<QByteArray> processStat(qint64 pid)
{
    const QByteArray stat = readProcFile("/proc/" + QByteArray::number(pid) + "/stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 1).simplified().split(' ');
}

// The pair (pid, start time) names one process for as long as the machine runs, even after the pid
// has been handed to another process.
QByteArray startTicks(const QList<QByteArray>& fields)
{
    // Field 22 of the whole line, the 20th after the command name.
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}

QByteArray describeSelf()
{
    const qint64 pid = ::getpid();
    return "pid=" + QByteArray::number(pid) + "\nhost=" + hostName() + "\nboot=" + bootId() +
           "\nstart=" + startTicks(processStat(pid)) +
           "\nsince=" + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n';
}

LockInfo parse(const QByteArray& content)
{
    LockInfo info;
    for (const QByteArray& line : content.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.first(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "pid")
            info.pid = value.toLongLong(&info.valid);
        else if (key == "host")
            info.host = value;
        else if (key == "boot")
            info.boot = value;
        else if (key == "start")
            info.start = value;
        else if (key == "since")
            info.since = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
    }
    // kill() reads 0 and negative numbers as process groups; such a pid is no process of ours.
    info.valid = info.valid && info.pid > 0 && info.pid == qint64(pid_t(info.pid)) && !info.host.isEmpty();
    return info;
}

bool isAlive(const LockInfo& info)
{
    // Nothing writes a lock in part (see makeLock), so one that cannot be read is debris.
    if (!info.valid)
        return false;
    if (info.host != hostName())
        return true;
    const QByteArray boot = bootId();
    if (!info.boot.isEmpty() && !boot.isEmpty() && info.boot != boot)
        return false;
    if (::kill(pid_t(info.pid), 0) != 0 && errno == ESRCH)
        return false;
    const QList<QByteArray> fields = processStat(info.pid);
    if (fields.isEmpty())
        return true; // no /proc to ask: the pid runs, so the lock counts
    // A killed process whose parent has not collected it yet runs no more.
    if (fields.at(0) == "Z" || fields.at(0) == "X")
        return false;
    const QByteArray start = startTicks(fields);
    return info.start.isEmpty() || start.isEmpty() || info.start == start;
}

FileLock::Holder holderOf(const LockInfo& info)
{
    FileLock::Holder holder;
    holder.pid = info.valid ? info.pid : 0;
    holder.host = QString::fromUtf8(info.host);
    holder.since = info.since;
    return holder;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        done += written;
    }
    return true;
}

// Where the file system has hard links the text is written in full under a temporary name and linked
// into place, so a reader never sees half a lock; link() fails on an existing name just as O_EXCL does.
// Elsewhere the lock is made with O_EXCL and written at once.
Made makeLock(const QByteArray& path, const QByteArray& content, int* error)
{
    QByteArray temp = path + ".XXXXXX";
    const int tempFd = ::mkstemp(temp.data());
    if (tempFd < 0) {
        *error = errno;
        return Made::Failed;
    }
    const bool written = ::fchmod(tempFd, 0644) == 0 && writeAll(tempFd, content);
    *error = errno;
    if (::close(tempFd) != 0 && written)
        *error = errno;
    if (!written) {
        ::unlink(temp.constData());
        return Made::Failed;
    }
    const int linked = ::link(temp.constData(), path.constData());
    const int linkError = errno;
    ::unlink(temp.constData());
    if (linked == 0)
        return Made::Created;
    if (linkError == EEXIST)
        return Made::Exists;
    if (linkError != EPERM && linkError != EOPNOTSUPP && linkError != ENOSYS && linkError != EMLINK) {
        *error = linkError;
        return Made::Failed;
    }

    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = errno;
        return errno == EEXIST ? Made::Exists : Made::Failed;
    }
    const bool ok = writeAll(fd, content);
    *error = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(path.constData());
        return Made::Failed;
    }
    return Made::Created;
}

// Two windows may find the same stale lock at once. Each moves the lock aside under a name of its own
// and checks that it moved the lock it judged; a fresh lock moved by mistake is put back.
Aside moveStaleAside(const QByteArray& path, const QByteArray& judged, int* error)
{
    const QByteArray aside = path + ".stale." + QByteArray::number(qint64(::getpid()));
    if (::rename(path.constData(), aside.constData()) != 0) {
        *error = errno;
        return errno == ENOENT ? Aside::Changed : Aside::Failed;
    }
    QByteArray moved;
    int readError = 0;
    const bool same = readSmallFile(aside, &moved, &readError) && moved == judged;
    if (!same)
        (void)::link(aside.constData(), path.constData());
    ::unlink(aside.constData());
    return same ? Aside::Removed : Aside::Changed;
}

} // namespace

FileLock::~FileLock()
{
    release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_lockPath(std::exchange(other.m_lockPath, QString())),
      m_content(std::exchange(other.m_content, QByteArray()))
{}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_lockPath = std::exchange(other.m_lockPath, QString());
        m_content = std::exchange(other.m_content, QByteArray());
    }
    return *this;
}

QString FileLock::lockPathFor(const QString& notesPath)
{
    // Through a symbolic link or by its own name, one file has one lock.
    const QFileInfo info(notesPath);
    const QString canonical = info.canonicalFilePath();
    const QFileInfo file(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
    return file.absolutePath() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".lock");
}

FileLock::Result FileLock::acquire(const QString& notesPath)
{
    const QString lockPath = lockPathFor(notesPath);
    Result result;
    if (lockPath == m_lockPath) {
        result.status = Status::Acquired;
        return result;
    }

    const QByteArray path = QFile::encodeName(lockPath);
    const QByteArray content = describeSelf();
    bool tookOver = false;
    // A few rounds are enough for locks that come and go while we look; a folder where they keep
    // changing is busy with another window.
    for (int round = 0; round < 5; ++round) {
        int error = 0;
        switch (makeLock(path, content, &error)) {
        case Made::Created:
            release();
            m_lockPath = lockPath;
            m_content = content;
            result.status = tookOver ? Status::Stale : Status::Acquired;
            return result;
        case Made::Failed:
            result.status = Status::Unavailable;
            result.error = systemText(error);
            return result;
        case Made::Exists:
            break;
        }

        QByteArray existing;
        if (!readSmallFile(path, &existing, &error)) {
            if (error == ENOENT)
                continue; // released while we looked
            // Someone else's lock that we may not read: it is there, so it counts.
            result.status = Status::HeldByOther;
            result.holder = Holder();
            return result;
        }
        const LockInfo info = parse(existing);
        result.holder = holderOf(info);
        if (isAlive(info)) {
            result.status = Status::HeldByOther;
            return result;
        }
        switch (moveStaleAside(path, existing, &error)) {
        case Aside::Removed:
            tookOver = true;
            break;
        case Aside::Changed:
            break;
        case Aside::Failed:
            result.status = Status::Unavailable;
            result.error = systemText(error);
            return result;
        }
    }
    result.status = Status::HeldByOther;
    return result;
}

void FileLock::release()
{
    if (m_lockPath.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_lockPath);
    QByteArray current;
    int error = 0;
    // A lock that is no longer the one we wrote belongs to someone else now.
    if (readSmallFile(path, &current, &error) && current == m_content)
        ::unlink(path.constData());
    m_lockPath.clear();
    m_content.clear();
}
