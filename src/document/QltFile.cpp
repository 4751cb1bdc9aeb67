#include "document/QltFile.h"

#include "document/QltFormat.h"
#include "shared/FileOwner.h"
#include "shared/RegularFile.h"
#include "shared/SaveFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

namespace QltFile {

ReadResult readAll(const QString& path)
{
    QFile file(path);
    return readAll(file);
}

ReadResult readAll(QFile& file, qint64 atMost)
{
    ReadResult result;
    const auto fail = [&result](const QString& reason) {
        result.bytes.clear();
        result.status = ReadStatus::CannotRead;
        result.error = reason;
        return result;
    };
    // Only regular files: a pipe or device could block the read or never end.
    QString reason;
    switch (RegularFile::openToRead(file, file.fileName(), &reason)) {
    case RegularFile::Opened::Yes:
        break;
    case RegularFile::Opened::Missing:
        result.status = ReadStatus::Missing;
        return result;
    case RegularFile::Opened::Refused:
        return fail(reason);
    }
    result.bytes = atMost < 0 ? file.readAll() : file.read(atMost);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return result;
}

bool isSameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

bool readRest(QFile& file, ReadResult& result, qsizetype pieceSize,
              const std::function<bool(QByteArrayView)>& eachPiece)
{
    // Read into the buffer itself, grown once: a buffer for the rest appended afterwards would hold the
    // file twice for a moment.
    const qsizetype start = result.bytes.size();
    result.bytes.resize(start + std::max<qint64>(file.size() - file.pos(), 0));
    const qsizetype total = result.bytes.size();
    const qsizetype step = eachPiece ? pieceSize : std::max<qsizetype>(total, 1);
    qsizetype end = start;
    for (qsizetype pieceStart = start / step * step;; pieceStart += step) {
        const qsizetype pieceEnd = std::min(total, pieceStart + step);
        if (pieceEnd > end)
            end += std::max<qint64>(file.read(result.bytes.data() + end, pieceEnd - end), 0);
        if (eachPiece && end > pieceStart &&
            !eachPiece(QByteArrayView(result.bytes).sliced(pieceStart, end - pieceStart))) {
            result.bytes.clear();
            result.status = ReadStatus::CannotRead;
            return false;
        }
        if (end < pieceStart + step || end == total)
            break;
    }
    result.bytes.resize(end);
    if (file.error() == QFileDevice::NoError)
        return true;
    result.bytes.clear();
    result.status = ReadStatus::CannotRead;
    result.error = file.errorString();
    return false;
}

namespace {

enum class Kind
{
    Notes,       // a new one is owner-only; only a regular file is replaced
    Text,        // a new one follows the umask; a pipe or a device is written into
    PrivateText, // the same, but a new one is owner-only
};

// QSaveFile does not keep the reason when a write comes up short; the system still has it then.
QString reasonOf(const SaveFile& file)
{
    const QString reason = file.errorString();
    return reason == QFile().errorString() ? qt_error_string() : reason;
}

bool failWith(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// A pipe or a device (/dev/stdout, a FIFO a script reads) takes the text as it comes; replacing it by a
// file would take it away from everyone who uses it.
bool writeInPlace(const QString& path, const std::function<bool(QIODevice&)>& writeContent, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeContent(file) || !file.flush()) {
        const QString reason = file.errorString();
        return failWith(error, reason == QFile().errorString() ? qt_error_string() : reason);
    }
    return true;
}

// Gives another program's version of `target`, now at `replaced`, a name of its own beside it that says
// what it is and keeps the extension, so that it opens as the notes file it is.
QString keepAside(const QString& replaced, const QString& target)
{
    const QFileInfo info(target);
    const QString stem = info.dir().filePath(info.completeBaseName() + QStringLiteral(".conflict-") +
                                             QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString name = stem + (n > 1 ? QLatin1Char('-') + QString::number(n) : QString()) + suffix;
        // QFile::rename never replaces a file that has the name already.
        if (QFile::rename(replaced, name))
            return name;
        if (n > 100)
            return replaced;
    }
}

bool writeThroughTemporary(const QString& path, Kind kind,
                           const std::function<bool(QIODevice&)>& writeContent, QString* error,
                           ReplaceGuard* guard = nullptr)
{
    const QFileInfo target(path);
    if (!FileOwner::mayFollowLink(path))
        return failWith(error, QStringLiteral("A link planted by another user is not followed"));
    // A link that leads nowhere (or to itself) would be replaced by the file, or make its target.
    if (target.isSymLink() && !target.exists())
        return failWith(error, QStringLiteral("The link leads to no file"));
    if (target.exists() && !target.isFile() && !target.isDir()) {
        if (kind != Kind::Notes)
            return writeInPlace(path, writeContent, error);
        return failWith(error, QStringLiteral("Not a regular file"));
    }
    // A file without any write permission bit is read-only for root too, as the settings file is;
    // otherwise the rename would quietly replace it.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (target.isFile() && !(target.permissions() & anyWrite))
        return failWith(error, QStringLiteral("Existing file is not writable"));
    SaveFile save(path);
    QFileDevice& file = save.device();
    const auto fail = [&save, error] {
        failWith(error, reasonOf(save));
        save.cancel();
        return false;
    };
    if (!save.open())
        return fail();
    // An existing file keeps its permissions (copied by the replacement), its owner and its group. A new
    // notes file may hold private notes: owner only. Other new files follow the umask.
    if (target.isFile())
        FileOwner::copy(path, file);
    else if (kind != Kind::Text && !save.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fail();
    // Flushed here: a write that fails while commit() flushes what is still buffered is not reported by
    // commit(), which would then put a cut-off file in place of the old one.
    if (!writeContent(file) || !file.flush())
        return fail();
    // Writing a large list takes long, and so does putting it on the disk: whatever arrived meanwhile is
    // looked for after both, as late as can be.
    const bool guarded = guard && guard->isUnchanged;
    if (guarded && !RegularFile::syncToDisk(file))
        return fail();
    if (guarded && !guard->isUnchanged(path)) {
        guard->refused = true;
        save.cancel();
        return false;
    }
    const RegularFile::Stamp ours = RegularFile::stampOf(file);
    if (!(guarded ? save.commitKeepingReplaced() : save.commit()))
        return failWith(error, reasonOf(save));
    if (!guarded)
        return true;
    const QString replaced = save.replacedPath();
    if (replaced.isEmpty())
        guard->replacedSince = !RegularFile::sameFile(RegularFile::stampAt(path), ours);
    else if (guard->isUnchanged(replaced))
        QFile::remove(replaced);
    else
        guard->keptAs = keepAside(replaced, path);
    return true;
}

} // namespace

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    return writeAtomically(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, error);
}

bool writeAtomically(const QString& path, const std::function<bool(QIODevice&)>& writeContent, QString* error,
                     NewFile newFile)
{
    return writeThroughTemporary(path, newFile == NewFile::OwnerOnly ? Kind::PrivateText : Kind::Text,
                                 writeContent, error);
}

bool writeNotes(const QString& path, const QList<Note>& notes, const QByteArray& password, quint32 reserved,
                QString* error, ReplaceGuard* guard)
{
    return writeComposedNotes(
        path, [&](QIODevice& out) { return QltFormat::writeTo(out, notes, password, reserved); }, error,
        guard);
}

bool writeComposedNotes(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
                        QString* error, ReplaceGuard* guard)
{
    return writeThroughTemporary(path, Kind::Notes, writeContent, error, guard);
}

} // namespace QltFile
