#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <memory>

class QFileDevice;
class QIODevice;

// A file written beside its target and put in its place only when it is whole and on the disk, so that
// a failure or a crash half-way leaves the old file as it was.
//
// On Unix the new file has no name until it is complete and on the disk (fsync), then replaces the target
// by rename, with the old file's permissions; a new one follows the umask. On Windows the new file is deleted
// when closed until it is complete, takes the old file's attributes (hidden, system) and creation time, is
// flushed to the disk (FlushFileBuffers) and renamed over the target with MoveFileExW and write-through; it
// takes the rights of its folder, as any new file there. Only a target that another program holds open is
// replaced with ReplaceFileW, which keeps the old file's rights. A target that is a reparse point (a symbolic
// link or a junction) is never written through.
class SaveFile
{
public:
    explicit SaveFile(const QString& target);
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    bool open();
    // Where the content goes, once open.
    QFileDevice& device();
    // The new file's permissions, for a target that does not exist yet. On Windows the file takes the
    // rights its folder passes on, so there is nothing to set.
    bool setPermissions(QFileDevice::Permissions permissions);
    // Puts what is written on the disk now, for a caller that looks around once it is there before it
    // commits: a commit that follows without further writes does not do so again.
    bool sync();
    // Puts the written file in place of the target; false, with errorString(), when it is not.
    bool commit();
    // The same, but the file that was at the target is not lost: the two are exchanged in one step and
    // that file is left at replacedPath() for the caller to look at, then remove or keep. Where the system
    // cannot exchange files (some file systems, Windows) the target is replaced, and replacedPath() is empty.
    bool commitKeepingReplaced();
    QString replacedPath() const;
    // Drops what was written; the target stays as it was.
    void cancel();
    QString errorString() const;
    // The system's number for that failure (errno, GetLastError() on Windows); 0 when it has none.
    int errorCode() const;

    // Whether the file at `path` is read-only, which a replacement must not overlook: the rename would
    // quietly replace it. A file without any write permission bit counts as read-only even for root, like
    // the read-only attribute on Windows.
    static bool isReadOnly(const QString& path);

    // What a replacement may find at its target, and what it makes when there is none.
    struct Rules
    {
        enum class NewFile
        {
            FollowUmask,   // like any file the user makes
            OwnerOnly,     // it may hold private notes
            ReadableByAll, // what the desktop reads for everyone (rw-r--r--)
        };
        enum class Links
        {
            FollowSafe, // into the file a link leads to, unless FileOwner::mayFollowLink says no
            Refuse,     // a file the program found and read itself: a link there was planted since
        };
        enum class OtherFile
        {
            Refuse,    // a pipe, a device, a folder
            WriteInto, // a pipe or a device (/dev/stdout, a FIFO a script reads) takes the bytes as they
                       // come: replacing it by a file would take it away from everyone who uses it
        };
        NewFile newFile = NewFile::FollowUmask;
        Links links = Links::FollowSafe;
        OtherFile otherFile = OtherFile::Refuse;
    };
    struct Failure
    {
        QString reason; // the system's where it gave one
        int code = 0;   // as errorCode()
    };
    using Content = std::function<bool(QIODevice&)>;
    using Commit = std::function<bool(SaveFile&)>;

    // The one way every file the program writes takes its target's place: what `content` writes (false
    // from it is a failure), into a SaveFile put in place by `commit` (commit() when there is none). A file
    // that isReadOnly() is refused, and so is a link that leads to no file, and whatever `rules` refuse. An
    // existing file keeps its permissions, owner and group (as far as FileOwner::copy may); a new one is
    // made as `rules` say. False on any failure, with its reason in `failure`.
    static bool replace(const QString& path, const Content& content, const Rules& rules,
                        Failure* failure = nullptr, const Commit& commit = {});

private:
    struct Private;
    std::unique_ptr<Private> d;
};
