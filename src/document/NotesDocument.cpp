#include "document/NotesDocument.h"

#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "document/RecentFiles.h"
#include "shared/Cipher.h"

#include <QFile>

NotesDocument::NotesDocument(Locking locking, QObject* parent) : QObject(parent), m_locking(locking) {}

void NotesDocument::setModified(bool modified)
{
    const bool changed = modified != m_modified;
    m_modified = modified;
    if (changed)
        Q_EMIT modifiedChanged(modified);
}

bool NotesDocument::holdsLockOf(const QString& path) const
{
    return m_lock.isHeld() && m_lock.lockPath() == FileLock::lockPathFor(path);
}

void NotesDocument::clear()
{
    m_password.clear();
    m_fileName.clear();
    m_lock.release();
    m_model.clear();
    setModified(false);
    m_reserved = 0;
}

bool NotesDocument::passwordOpens(const QByteArray& check, const QByteArray& password)
{
    // An empty password gives an empty check, so it never matches.
    return SharedSrc::GetDecryptCheck(check, password) == SharedSrc::CheckMagic;
}

NotesDocument::OpenResult NotesDocument::open(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, false);
}

NotesDocument::OpenResult NotesDocument::merge(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, true);
}

// The file is parsed as a whole before any note is added, so a damaged file or a withheld password adds
// nothing; an open that fails after the notes were replaced leaves the empty, unnamed document.
NotesDocument::OpenResult NotesDocument::read(const QString& path, OpenQuestions& questions, bool merge)
{
    OpenResult result;
    const auto fail = [&result](OpenStatus status) {
        result.status = status;
        return result;
    };

    // The header is checked before the rest is read: a huge file that is no notes file costs nothing. The
    // whole file is read before the password question, so what is deciphered later is what was checked
    // here; it stays open until the end.
    QFile opened(path);
    QltFile::ReadResult file = QltFile::readAll(opened, QltFormat::StreamOffset);
    const auto unreadable = [&] {
        result.reason = file.error;
        return fail(OpenStatus::Damaged);
    };
    if (file.status == QltFile::ReadStatus::Missing)
        return fail(OpenStatus::Missing);
    if (file.status != QltFile::ReadStatus::Ok)
        return unreadable();

    const QltFormat::HeaderResult header = QltFormat::readHeader(file.bytes);
    switch (header.error) {
    case QltFormat::Error::None:
        break;
    case QltFormat::Error::BadSignature:
        return fail(OpenStatus::BadSignature);
    case QltFormat::Error::BadVersion:
        result.version = header.header.version;
        return fail(OpenStatus::BadVersion);
    case QltFormat::Error::Damaged:
        return fail(OpenStatus::Damaged);
    }
    if (!QltFile::readRest(opened, file))
        return unreadable();

    // The lock taken here stays with `candidate` until the file has become the document.
    FileLock candidate;
    if (!merge && m_locking == Locking::HoldFileLock && !holdsLockOf(path) &&
        candidate.acquire(path).status == FileLock::Status::HeldByOther && !questions.openDespiteLock())
        return fail(OpenStatus::LockedByOther);

    if (!merge) {
        if (!questions.mayReplace())
            return fail(OpenStatus::Cancelled);
        if (!m_fileName.isEmpty() || m_model.rowCount() > 0 || !m_password.isEmpty())
            clear();
        result.documentReset = true;
    }

    QByteArray password;
    if (header.header.hasPassword) {
        const QByteArray& check = header.header.check;
        const auto opens = [&check](const QByteArray& typed) { return passwordOpens(check, typed); };
        const std::optional<QByteArray> given = questions.password(opens);
        if (!given)
            return fail(OpenStatus::Cancelled);
        if (!opens(*given))
            return fail(OpenStatus::WrongPassword);
        password = *given;
    }

    // The file's buffer becomes the stream: dropping the header from the front moves no data, where a
    // copy of the rest would touch another 50 MB for a large list.
    QByteArray stream = std::move(file.bytes);
    stream.remove(0, QltFormat::StreamOffset);
    // A password that shares the check value of the real one deciphers into garbage, which the record
    // lengths then give away as a damaged file.
    std::optional<QList<Note>> notes =
        QltFormat::readNotes(std::move(stream), QltFormat::streamKey(password));
    if (!notes)
        return fail(OpenStatus::Damaged);
    m_model.appendNotes(std::move(*notes));

    if (merge) {
        setModified(true);
        return result;
    }
    m_fileName = RecentFiles::fullPath(path);
    m_password = password.left(MaxPasswordLength);
    setModified(false);
    m_reserved = header.header.reserved;
    holdLockOf(m_fileName, std::move(candidate));
    return result;
}

NotesDocument::SaveResult NotesDocument::save(const QString& path)
{
    SaveResult result;
    const QString fullPath = RecentFiles::fullPath(path);
    if (fullPath.isEmpty())
        return result;
    if (!QltFile::writeNotes(fullPath, notes(), m_password, m_reserved, &result.error))
        return result;
    result.saved = true;
    setModified(false);
    m_fileName = fullPath;
    holdLockOf(m_fileName, FileLock());
    return result;
}

// The document's file from now on is `path`: its lock is ours unless another window holds it.
void NotesDocument::holdLockOf(const QString& path, FileLock candidate)
{
    if (m_locking != Locking::HoldFileLock)
        return;
    if (candidate.isHeld() && candidate.lockPath() == FileLock::lockPathFor(path)) {
        m_lock = std::move(candidate);
        return;
    }
    if (m_lock.acquire(path).status != FileLock::Status::Acquired)
        m_lock.release();
}

NotesDocument::PasswordChange NotesDocument::changePassword(const QByteArray& oldPassword,
                                                            const QByteArray& newPassword,
                                                            const QByteArray& repeated)
{
    if (oldPassword != m_password)
        return PasswordChange::WrongOldPassword;
    if (newPassword != repeated)
        return PasswordChange::Mismatch;
    if (newPassword.size() > MaxPasswordLength)
        return PasswordChange::TooLong;
    m_password = newPassword;
    setModified(true);
    return PasswordChange::Changed;
}

void NotesDocument::insertNote(int row, Note note)
{
    m_model.insertNote(row, std::move(note));
    setModified(true);
}

void NotesDocument::setNote(int row, Note note)
{
    m_model.setNote(row, std::move(note));
    setModified(true);
}

void NotesDocument::removeNote(int row)
{
    m_model.removeNote(row);
    setModified(true);
}

void NotesDocument::swapNotes(int a, int b)
{
    m_model.swapNotes(a, b);
    setModified(true);
}

void NotesDocument::setPriority(int row, const QByteArray& name)
{
    m_model.setPriority(row, name);
    setModified(true);
}

void NotesDocument::setDone(int row, bool done)
{
    m_model.setImageIndex(row, done ? Note::ImageDone : Note::ImageNotDone);
    setModified(true);
}

void NotesDocument::sort(NotesSorter::SortBy by, bool ascending)
{
    NotesSorter::sort(m_model, by, ascending);
    setModified(true);
}
