#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QLockFile;

// One window per notes file. While a window has "notes.qlt" open, the lock file ".notes.qlt.lock" beside
// it names the process (QLockFile's format: process id, program, host, machine and boot ids). A lock whose
// process is gone (killed, crashed, the machine restarted, the id now another program's) or that is no
// lock at all (empty, cut short) is stale: the next acquire takes it over. A lock from another host cannot
// be checked and counts as held. The lock is advisory: it warns, it never stops a file from opening.
class FileLock
{
public:
    enum class Status
    {
        Acquired,    // the lock is ours
        HeldByOther, // another running window has the file: see holder; the lock is not ours
        Unavailable  // no lock file can be made here (read-only folder, ...): not ours
    };

    struct Holder
    {
        qint64 pid = 0; // 0 when the lock cannot tell
        QString host;
        QString program;
        // quillet-cli holds a lock only from the read to the rename of one change; anyone else is a window.
        bool isWriter() const { return program == WriterProgram; }
    };

    static constexpr QLatin1StringView WriterProgram{"quillet-cli"};

    struct Result
    {
        Status status = Status::Unavailable;
        Holder holder; // for HeldByOther
    };

    FileLock();
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept; // releases the lock this one held
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of `notesPath`. The lock this object held for another file is released only when
    // the new one is ours; for the same file already held it answers Acquired.
    Result acquire(const QString& notesPath);
    // The same, waiting up to `wait` for a writer to finish; a window's lock is answered at once.
    Result acquireAfterWriters(const QString& notesPath, std::chrono::milliseconds wait);

    // Removes the lock file. Safe to call when nothing is held.
    void release();

    bool isHeld() const { return m_lock != nullptr; }
    QString lockPath() const { return m_lockPath; }

    static QString lockPathFor(const QString& notesPath);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockPath;
};
