#include "document/QltFile.h"

#include "document/QltFormat.h"
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

// Puts the written notes in place unless another version took the target's place meanwhile.
bool commitGuarded(SaveFile& save, const QString& path, ReplaceGuard& guard)
{
    // Writing a large list takes long, and so does putting it on the disk: whatever arrived meanwhile is
    // looked for after both, as late as can be.
    if (!save.sync())
        return false;
    if (!guard.isUnchanged(path)) {
        guard.refused = true;
        return false;
    }
    const RegularFile::Stamp ours = RegularFile::stampOf(save.device());
    if (!save.commitKeepingReplaced())
        return false;
    const QString replaced = save.replacedPath();
    if (replaced.isEmpty())
        guard.replacedSince = !RegularFile::sameFile(RegularFile::stampAt(path), ours);
    else if ((guard.isUnchangedOnceMoved ? guard.isUnchangedOnceMoved : guard.isUnchanged)(replaced))
        QFile::remove(replaced);
    else
        guard.keptAs = keepAside(replaced, path);
    return true;
}

bool replace(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
             const SaveFile::Rules& rules, QString* error, const SaveFile::Commit& commit = {})
{
    SaveFile::Failure failure;
    if (SaveFile::replace(path, writeContent, rules, &failure, commit))
        return true;
    if (error)
        *error = failure.reason;
    return false;
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
    SaveFile::Rules rules;
    rules.otherFile = SaveFile::Rules::OtherFile::WriteInto;
    if (newFile == NewFile::OwnerOnly)
        rules.newFile = SaveFile::Rules::NewFile::OwnerOnly;
    return replace(path, writeContent, rules, error);
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
    SaveFile::Rules rules;
    rules.newFile = SaveFile::Rules::NewFile::OwnerOnly;
    if (!guard || !guard->isUnchanged)
        return replace(path, writeContent, rules, error);
    return replace(path, writeContent, rules, error,
                   [&path, guard](SaveFile& save) { return commitGuarded(save, path, *guard); });
}

} // namespace QltFile
