#include "document/QltFile.h"

#include "document/QltFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <functional>

namespace QltFile {

ReadResult readAll(const QString& path)
{
    QFile file(path);
    return readAll(file);
}

ReadResult readAll(QFile& file)
{
    ReadResult result;
    const QFileInfo info(file.fileName());
    if (!info.exists()) {
        result.status = ReadStatus::Missing;
        return result;
    }
    // Only regular files: a pipe or device could block the read or never end.
    if (!info.isFile()) {
        result.status = ReadStatus::CannotRead;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::CannotRead;
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.status = ReadStatus::CannotRead;
    }
    return result;
}

namespace {

bool writeThroughTemporary(const QString& path, bool ownerOnly,
                           const std::function<bool(QIODevice&)>& writeContent, QString* error)
{
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    const auto fail = [&file, error] {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    };
    // Writing straight into the target would lose the old file on a failure half-way.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    // A new notes file may hold private notes: owner only. Other new files follow the umask; an existing
    // file keeps the permissions it had.
    if (ownerOnly && isNew && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fail();
    // Flushed here: a write that fails while commit() flushes what is still buffered is not reported by
    // commit(), which would then put a cut-off file in place of the old one.
    if (!writeContent(file) || !file.flush())
        return fail();
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    return writeThroughTemporary(
        path, false, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, error);
}

bool writeNotes(const QString& path, const QList<Note>& notes, const QByteArray& password, quint32 reserved,
                QString* error)
{
    return writeThroughTemporary(
        path, true, [&](QIODevice& out) { return QltFormat::writeTo(out, notes, password, reserved); },
        error);
}

} // namespace QltFile
