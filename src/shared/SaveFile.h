#pragma once

#include <QFile>
#include <QString>

#include <memory>

class QFileDevice;

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

private:
    struct Private;
    std::unique_ptr<Private> d;
};
