#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One window per notes file. While a window has "notes.qlt" open, the lock file ".notes.qlt.lock"
// beside it names the process, one "key=value" line each:
//
//   pid=<process id>
//   host=<host name>
//   boot=<boot id of the host, /proc/sys/kernel/random/boot_id>
//   start=<start time of the process in clock ticks since boot, /proc/<pid>/stat>
//   since=<when the lock was taken, ISO 8601 UTC>
//
// A lock whose process no longer runs (killed, crashed, the machine restarted) or whose process id now
// belongs to another process is stale: the next acquire takes it over. A lock from another host cannot
// be checked and counts as held. The lock is advisory: it warns, it never stops a file from opening.
class FileLock
{
public:
    enum class Status
    {
        Acquired,    // the lock is ours
        Stale,       // a lock left by a process that is gone was found and replaced: the lock is ours
        HeldByOther, // another running window has the file: see holder; the lock is not ours
        Unavailable  // no lock file can be made here (read-only folder, ...): see error; not ours
    };

    struct Holder
    {
        qint64 pid = 0;
        QString host;
        QDateTime since; // invalid when the lock file did not say
    };

    struct Result
    {
        Status status = Status::Unavailable;
        Holder holder; // for HeldByOther, and for Stale (the process that was gone)
        QString error; // for Unavailable: the system's text
    };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept; // releases the lock this one held
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of `notesPath`. The lock this object held for another file is released only when
    // the new one is ours; for the same file already held it answers Acquired.
    Result acquire(const QString& notesPath);

    // Removes the lock file when it is still ours. Safe to call when nothing is held.
    void release();

    bool isHeld() const { return !m_lockPath.isEmpty(); }
    QString lockPath() const { return m_lockPath; }

    static QString lockPathFor(const QString& notesPath);

private:
    QString m_lockPath;
    QByteArray m_content; // what we wrote, to recognise our own lock when releasing
};
