#pragma once

#include <QFile>
#include <QFileDevice>
#include <QString>

// Opening the program's own files (settings, logs) in a folder that others may write to: a planted pipe
// must not block the program, a device must not feed it without end, and a symbolic link must not send
// its writes into another file. Anything but a regular file is refused (on Windows also a reparse point:
// a symbolic link or a junction).
namespace RegularFile {

enum class Opened
{
    Yes,
    Missing, // nothing at the path (and the mode does not create it)
    Refused, // a link, a pipe, a device, a folder, or the system said no
};

// Opens `path` into `file`, which must be closed (its file name is not kept), without following a symbolic
// link and without waiting for a pipe's other end. ReadOnly opens an existing file; a writable mode creates a
// missing file unless it has ExistingOnly, and NewOnly creates it or fails. Append adds at the end even when
// another process writes too.
Opened open(QFile& file, const QString& path, QIODevice::OpenMode mode);

// Opens the file `path` leads to, links followed, to read it, without waiting for a pipe's other end:
// anything but a regular file is refused, judged on the file opened, so that nothing can be swapped in
// between a look and the open. The reason of a refusal goes to `error`.
Opened openToRead(QFile& file, const QString& path, QString* error);

// Where the symbolic link at `path` leads when the link is the user's own in a folder that is the user's
// and that nobody else may write to (the rule OpenSSH applies to its own files); otherwise `path` itself,
// which open() then refuses if it is a link.
QString followOwnLink(const QString& path);

// True when something that is not a regular file (a link among them) is at `path`.
bool isOtherThanRegular(const QString& path);

// What tells an open file apart from any other file and from itself before a change: two stamps
// taken of a path are equal only while nobody wrote to the file or replaced it.
struct Stamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // of the status, which no one can set back

    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QFileDevice& file);
// The stamp of the file `path` leads to, links followed, without opening it.
Stamp stampAt(const QString& path);
// Whether two stamps are of one file, written or not since; true where the system cannot tell.
bool sameFile(const Stamp& a, const Stamp& b);

// The open file's size, or -1 when it is no longer the file its path names (deleted, or replaced by a
// rename).
qint64 linkedSize(const QFile& file);

} // namespace RegularFile
