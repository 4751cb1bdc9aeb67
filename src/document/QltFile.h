#pragma once

#include "document/Note.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QFile;
class QIODevice;

// Reading and writing whole notes files on disk.
namespace QltFile {

enum class ReadStatus
{
    Ok,
    Missing,    // "文件不存在:"
    CannotRead, // reported as a damaged file
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Ok;
    QByteArray bytes;
    QString error; // the system's reason, for CannotRead
};

ReadResult readAll(const QString& path);
// The same through `file`, which stays open after a read, so that the caller can keep the file from
// being replaced under it as long as it needs. With `atMost`, only the file's first bytes are read.
ReadResult readAll(QFile& file, qint64 atMost = -1);
// Appends what remains of `file` after readAll(file, atMost); false (and CannotRead) when it cannot. With
// `eachPiece`, the file is read in pieces of `pieceSize` bytes from its start, each given to it as soon as
// it is read; false from it ends the read there, as one that failed without a reason.
bool readRest(QFile& file, ReadResult& result, qsizetype pieceSize = 0,
              const std::function<bool(QByteArrayView)>& eachPiece = {});

// Whether two paths lead to one existing file, links followed: writing one would replace the other.
bool isSameFile(const QString& a, const QString& b);

// Writes through a temporary file that replaces `path` only when everything was written and synced, so a
// failed save leaves the previous file as it was. The file keeps its permissions, owner and group; one
// without any write permission bit is refused, for root too, and so is a link that leads to no file or
// that another user planted in a shared folder (FileOwner::mayFollowLink). A new file follows the umask,
// like any file the user makes (reports, texts); a pipe or a device at `path` is written into, never
// replaced. Returns false on any failure, with the system's reason in `error` when one is asked for.
bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
enum class NewFile
{
    FollowUmask,
    OwnerOnly, // what is made of private notes (the report of a protected list)
};
// The same with the bytes that `writeContent` writes as it makes them; false from it is a failure.
bool writeAtomically(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
                     QString* error = nullptr, NewFile newFile = NewFile::FollowUmask);

// What a save of the document's own file must not overwrite: another program's version that arrives while
// the notes are written.
struct ReplaceGuard
{
    // Whether the file at a path is still the version last read or written: asked of the target once
    // everything is written, just before it is replaced (false leaves it as it is), and of the file the
    // replacement took the place of.
    std::function<bool(const QString& path)> isUnchanged;
    // Asked instead of the file the replacement took the place of, when set: that file was just renamed,
    // which a look at it may allow for.
    std::function<bool(const QString& path)> isUnchangedOnceMoved;
    bool refused = false;       // the target had changed: nothing was replaced
    bool replacedSince = false; // another file was in place right after the rename: ours did not last
    // Another version arrived during the rename itself: ours is in place, that one kept under this name.
    QString keptAs;
};

// Saves a notes file the same way, composing and enciphering it piece by piece as it is written. A new
// notes file is readable by its owner only; anything but a regular file at `path` is refused.
bool writeNotes(const QString& path, const QList<Note>& notes, const QByteArray& password, quint32 reserved,
                QString* error = nullptr, ReplaceGuard* guard = nullptr);
// The same with the file that `writeContent` composes, in either format.
bool writeComposedNotes(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
                        QString* error = nullptr, ReplaceGuard* guard = nullptr);

} // namespace QltFile
