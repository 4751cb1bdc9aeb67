#pragma once

#include "document/Note.h"

#include <QByteArray>
#include <QList>
#include <QString>

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
};

ReadResult readAll(const QString& path);

// Writes through a temporary file that replaces `path` only when everything was written and synced, so a
// failed save leaves the previous file as it was. A new file is readable by its owner only.
// Returns false on any failure.
bool writeAtomically(const QString& path, const QByteArray& bytes);

// Saves a notes file the same way, composing and enciphering it piece by piece as it is written.
bool writeNotes(const QString& path, const QList<Note>& notes, const QByteArray& password, quint32 reserved);

} // namespace QltFile
