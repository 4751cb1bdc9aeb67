#include "document/FileLock.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

namespace {
constexpr unsigned long FreshLockTime = 20; // milliseconds
} // namespace

FileLock::FileLock() = default;
FileLock::~FileLock() = default;
FileLock::FileLock(FileLock&& other) noexcept = default;
FileLock& FileLock::operator=(FileLock&& other) noexcept = default;

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
    const QString path = lockPathFor(notesPath);
    Result result;
    if (isHeld() && path == m_lockPath) {
        result.status = Status::Acquired;
        return result;
    }
    // A pipe planted where the lock belongs would block the reading of its holder, a link would lead
    // elsewhere: whoever put it there is treated as a window that has the file.
    const QFileInfo existing(path);
    if (existing.isSymLink() || (existing.exists() && !existing.isFile())) {
        result.status = Status::HeldByOther;
        return result;
    }

    // No lock can be made in a folder that is not there; QLockFile on Windows would also say so on the
    // standard error, as if it were a fault.
    if (!QFileInfo(existing.absolutePath()).isDir()) {
        result.status = Status::Unavailable;
        return result;
    }

    auto lock = std::make_unique<QLockFile>(path);
    // A window keeps its file for hours: only a holder that is gone makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    bool locked = lock->tryLock(0);
    qint64 pid = 0;
    QString host;
    QString program;
    const auto unreadable = [&] {
        return !locked && lock->error() == QLockFile::LockFailedError &&
               !lock->getLockInfo(&pid, &host, &program);
    };
    // A lock just made is empty for a moment: only one that stays so is nobody's.
    if (unreadable() && (QThread::msleep(FreshLockTime), unreadable())) {
        // Not a lock anyone could have written whole (empty, cut short by a crash): nobody holds it.
        lock->removeStaleLockFile();
        locked = lock->tryLock(0);
    }
    if (locked) {
        // QLockFile takes a stale lock over under a second lock, "<lock>.rmlock", which a holder killed
        // in the middle leaves behind: taken and so removed, unless someone is taking over right now.
        // Only looked for: taking one that is not there would write a lock and sync it for nothing.
        const QString takeoverPath = path + QStringLiteral(".rmlock");
        if (QFileInfo::exists(takeoverPath)) {
            QLockFile takeover(takeoverPath);
            takeover.setStaleLockTime(0);
            if (takeover.tryLock(0))
                takeover.unlock();
        }
        m_lock = std::move(lock);
        m_lockPath = path;
        result.status = Status::Acquired;
        return result;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        result.status = Status::HeldByOther;
        lock->getLockInfo(&result.holder.pid, &result.holder.host, &result.holder.program);
        return result;
    }
    result.status = Status::Unavailable;
    return result;
}

FileLock::Result FileLock::acquireAfterWriters(const QString& notesPath, std::chrono::milliseconds wait)
{
    const QDeadlineTimer deadline(wait);
    for (;;) {
        Result result = acquire(notesPath);
        // A holder that cannot be read yet is a lock being made or taken away, most likely by a writer.
        const bool writing = result.holder.isWriter() || result.holder.pid == 0;
        if (result.status != Status::HeldByOther || !writing || deadline.hasExpired())
            return result;
        // A change takes milliseconds: polling finely keeps a queue of writers moving.
        QThread::msleep(5);
    }
}

void FileLock::release()
{
    m_lock.reset();
    m_lockPath.clear();
}
