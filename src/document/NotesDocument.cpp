#include "document/NotesDocument.h"

#include "document/HashedWrite.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "document/RecentFiles.h"
#include "document/StrongFormat.h"
#include "shared/Cipher.h"
#include "shared/NoteFields.h"

#include <QFile>
#include <QFileInfo>

namespace {
// Long enough for a queue of writers, each a few milliseconds, short enough for a script to go on.
constexpr std::chrono::seconds WriterWait{5};
} // namespace

NotesDocument::NotesDocument(Locking locking, QObject* parent) : QObject(parent), m_locking(locking)
{
    connect(&m_history, &NotesHistory::changed, this, [this] { setModified(!m_history.isClean()); });
}

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
    m_protection = Protection();
    m_fileName.clear();
    // A writer's lock guards the file it is changing, whatever becomes of the notes.
    if (m_locking != Locking::Writer)
        m_lock.release();
    m_onDisk = DiskState();
    m_model.clear();
    m_history.clear();
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
    return read(path, questions, ReadInto::Replace);
}

NotesDocument::OpenResult NotesDocument::merge(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, ReadInto::Append);
}

NotesDocument::OpenResult NotesDocument::recover(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, ReadInto::Recover);
}

bool NotesDocument::writeRecovery(const QString& path, QString* error) const
{
    // Made anew, so that it is the owner's alone whatever an older one had become.
    QFile::remove(path);
    return QltFile::writeComposedNotes(path, composer(), error);
}

std::function<bool(QIODevice&)> NotesDocument::composer() const
{
    return [this](QIODevice& out) {
        if (m_protection.key)
            return StrongFormat::writeTo(out, notes(), m_reserved, *m_protection.key);
        return QltFormat::writeTo(out, notes(), m_protection.password.toByteArray(), m_reserved);
    };
}

// The file is parsed as a whole before any note is added, so a damaged file or a withheld password adds
// nothing; an open that fails after the notes were replaced leaves the empty, unnamed document.
NotesDocument::OpenResult NotesDocument::read(const QString& path, OpenQuestions& questions, ReadInto into)
{
    const bool replace = into == ReadInto::Replace;
    OpenResult result;
    const auto fail = [&result](OpenStatus status) {
        result.status = status;
        return result;
    };

    // A writer holds the lock from before the read until its change is on disk.
    if (replace && m_locking == Locking::Writer) {
        const FileLock::Result taken = m_lock.acquireAfterWriters(path, WriterWait);
        if (taken.status == FileLock::Status::HeldByOther) {
            result.holder = taken.holder;
            if (taken.holder.isWriter())
                return fail(OpenStatus::Busy);
            if (!questions.openDespiteLock())
                return fail(OpenStatus::LockedByOther);
        }
    }

    // The header is checked before the rest is read: a huge file that is no notes file costs nothing. The
    // file stays open until the end, so what is deciphered is what was checked.
    QFile opened(path);
    QltFile::ReadResult file = QltFile::readAll(opened, StrongFormat::PrefixSize);
    const auto unreadable = [&] {
        result.reason = file.error;
        return fail(OpenStatus::Damaged);
    };
    if (file.status == QltFile::ReadStatus::Missing)
        return fail(OpenStatus::Missing);
    if (file.status != QltFile::ReadStatus::Ok)
        return unreadable();

    // A strong file's parameters are judged before anything is derived or read: a cost beyond what a
    // reader allows is a damaged file, not a request for all memory.
    const bool strong = StrongFormat::isStrong(file.bytes);
    const std::optional<KeyDerivation::Params> params =
        strong ? StrongFormat::readParams(file.bytes) : std::nullopt;
    if (strong && !params)
        return fail(OpenStatus::Damaged);
    // The classic reader refuses the version, having read the header's Reserved value.
    QltFormat::HeaderResult header = QltFormat::readHeader(file.bytes);
    if (strong)
        header.error = QltFormat::Error::None;
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
    // Hashed as it is read, while the bytes are in the processor's cache. The records are followed
    // meanwhile: a huge file is refused at its first impossible one. Those of a classic protected file can
    // only be followed with its password, so only its first piece is read before it is asked.
    DiskState::Hash hash;
    const auto peek = [&opened](qint64 pos, char* to) {
        const qint64 back = opened.pos();
        const bool peeked =
            opened.seek(QltFormat::StreamOffset + pos) &&
            opened.read(to, QltFormat::RecordChain::RecordSize) == QltFormat::RecordChain::RecordSize;
        return opened.seek(back) && peeked;
    };
    // A broken chain ends the read, but the file is refused where a damaged stream always is.
    std::optional<QltFormat::RecordChain> chain;
    bool chainBroken = false;
    const auto readTheRest = [&](const QByteArray& key) {
        if (!strong)
            chain.emplace(QltFormat::streamKey(key), opened.size() - QltFormat::StreamOffset, peek);
        return QltFile::readRest(
                   opened, file, DiskState::Hash::Piece,
                   [&](QByteArrayView piece) {
                       hash.add(piece);
                       // The pieces lie in the file's buffer, from its start.
                       const char* const stream = file.bytes.constData() + QltFormat::StreamOffset;
                       chainBroken =
                           chain &&
                           !chain->follow(QByteArrayView(stream, piece.data() + piece.size() - stream));
                       return !chainBroken;
                   }) ||
               chainBroken;
    };
    const bool passwordFirst = !strong && header.header.hasPassword;
    if (passwordFirst) {
        file.bytes += opened.read(DiskState::Hash::Piece - file.bytes.size());
        if (opened.error() != QFileDevice::NoError) {
            file.error = opened.errorString();
            return unreadable();
        }
    } else if (!readTheRest({})) {
        return unreadable();
    }

    // The lock taken here stays with `candidate` until the file has become the document.
    FileLock candidate;
    if (replace && m_locking == Locking::HoldFileLock && !holdsLockOf(path)) {
        const FileLock::Result taken = candidate.acquireAfterWriters(path, WriterWait);
        result.holder = taken.holder;
        if (taken.status == FileLock::Status::HeldByOther && !questions.openDespiteLock())
            return fail(OpenStatus::LockedByOther);
    }

    // What the document had before, for a file read again with the key it already holds.
    const Protection known = m_protection;
    if (replace) {
        if (!questions.mayReplace())
            return fail(OpenStatus::Cancelled);
        if (!m_fileName.isEmpty() || m_model.rowCount() > 0 || !m_protection.password.isEmpty())
            clear();
        result.documentReset = true;
    }

    if (chainBroken)
        return fail(OpenStatus::Damaged);
    DiskState loaded;
    if (!passwordFirst && replace)
        loaded = DiskState::of(path, file.bytes.size(), hash);
    std::optional<QList<Note>> notes;
    QByteArray buffer; // what the notes' texts are parts of
    Protection protection;
    if (strong) {
        // The key of the password last tried, so that the one given is not derived twice.
        Protection tried;
        const auto opens = [&](const QByteArray& typed) {
            // As with a classic file, an empty password never opens.
            if (typed.isEmpty())
                return false;
            tried = Protection{SecretBytes(typed), keyFor(SecretBytes(typed), *params, known)};
            return tried.key && StrongFormat::keyOpens(file.bytes, tried.key->key);
        };
        const std::optional<QByteArray> given = questions.password([&opens](const QByteArray& typed) {
            return opens(typed) ? PasswordFit::Opens : PasswordFit::Wrong;
        });
        if (!given)
            return fail(OpenStatus::Cancelled);
        const bool derived = tried.key && tried.password == *given;
        if (!(derived ? StrongFormat::keyOpens(file.bytes, tried.key->key) : opens(*given)))
            return fail(OpenStatus::WrongPassword);
        // With the right key, anything that does not open is damage.
        notes = StrongFormat::readNotes(std::move(file.bytes), tried.key->key, &buffer);
        if (!notes)
            return fail(OpenStatus::Damaged);
        protection = std::move(tried);
    } else {
        QByteArray password;
        if (header.header.hasPassword) {
            const QByteArray& check = header.header.check;
            // Two passwords can share a check value; the wrong one deciphers into records no writer makes.
            // What the records say of the password last judged is kept for the one given.
            // Before the password is given, the file's first piece is judged; after it, the whole file.
            std::optional<std::pair<QByteArray, QltFormat::Verdict>> judged;
            const auto verdictOf = [&judged, &file](const QByteArray& typed) {
                const QByteArrayView stream = QByteArrayView(file.bytes).sliced(QltFormat::StreamOffset);
                if (!judged || judged->first != typed)
                    judged.emplace(typed, QltFormat::judge(stream, typed));
                return judged->second;
            };
            const auto test = [&check, &verdictOf](const QByteArray& typed) {
                if (!passwordOpens(check, typed))
                    return PasswordFit::Wrong;
                switch (verdictOf(typed)) {
                case QltFormat::Verdict::NotWritten:
                    return PasswordFit::Wrong;
                case QltFormat::Verdict::Unclear:
                    return PasswordFit::WrongOrDamaged;
                case QltFormat::Verdict::WellFormed:
                case QltFormat::Verdict::EndMissing: // the right password: the damage is told after it
                    break;
                }
                return PasswordFit::Opens;
            };
            const std::optional<QByteArray> given = questions.password(test);
            if (!given)
                return fail(OpenStatus::Cancelled);
            if (!passwordOpens(check, *given))
                return fail(OpenStatus::WrongPassword);
            // What the first piece says of the password is final; only a password it fits reads the rest,
            // whose records are then judged as well.
            const auto refusal = [&](QltFormat::Verdict verdict) -> std::optional<OpenStatus> {
                switch (verdict) {
                case QltFormat::Verdict::WellFormed:
                    break;
                case QltFormat::Verdict::NotWritten:
                    return OpenStatus::WrongPassword;
                case QltFormat::Verdict::EndMissing:
                    return OpenStatus::Damaged;
                case QltFormat::Verdict::Unclear:
                    return OpenStatus::WrongPasswordOrDamaged;
                }
                return std::nullopt;
            };
            const std::optional<OpenStatus> early = refusal(verdictOf(*given));
            if (early && early != OpenStatus::Damaged)
                return fail(*early);
            if (!readTheRest(*given))
                return unreadable();
            if (chainBroken)
                return fail(OpenStatus::Damaged);
            if (replace)
                loaded = DiskState::of(path, file.bytes.size(), hash);
            judged.reset();
            if (const std::optional<OpenStatus> late = refusal(verdictOf(*given)))
                return fail(*late);
            password = *given;
        }
        // The file's buffer becomes the stream: dropping the header from the front moves no data, where a
        // copy of the rest would touch another 50 MB for a large list.
        QByteArray stream = std::move(file.bytes);
        stream.remove(0, QltFormat::StreamOffset);
        const bool isProtected = header.header.hasPassword;
        notes = QltFormat::readNotes(std::move(stream), QltFormat::streamKey(password),
                                     isProtected ? QltFormat::Reading::Strict : QltFormat::Reading::Tolerant,
                                     &buffer);
        if (!notes)
            return fail(OpenStatus::Damaged);
        // Kept whole, also beyond what a user may set: it is the key the file was written with.
        protection.password = SecretBytes(password);
    }

    if (into == ReadInto::Recover)
        m_model.clear();
    m_model.keepBuffer(std::move(buffer));
    if (into == ReadInto::Append) {
        m_history.apply(NoteCommands::appendNotes(std::move(*notes)));
        return result;
    }
    if (into == ReadInto::Recover) {
        // The notes as they were when kept, with the password they had then, all unsaved; the document's
        // file, lock and what is on disk stay.
        m_model.appendNotes(std::move(*notes));
        m_history.clear();
        m_protection = std::move(protection);
        m_reserved = header.header.reserved;
        m_history.forgetSavedState();
        return result;
    }
    m_model.appendNotes(std::move(*notes));
    m_history.clear();
    m_fileName = RecentFiles::fullPath(path);
    m_protection = std::move(protection);
    setModified(false);
    m_reserved = header.header.reserved;
    m_onDisk = loaded;
    holdLockOf(m_fileName, std::move(candidate));
    return result;
}

// A file read again with the password and parameters the document has needs no new derivation.
std::optional<KeyDerivation::Key> NotesDocument::keyFor(const SecretBytes& password,
                                                        const KeyDerivation::Params& params,
                                                        const Protection& known) const
{
    if (known.key && known.key->params == params && known.password == password)
        return known.key;
    return KeyDerivation::derive(password, params);
}

NotesDocument::SaveResult NotesDocument::save(const QString& path, Overwrite overwrite)
{
    SaveResult result;
    const QString fullPath = RecentFiles::fullPath(path);
    if (fullPath.isEmpty())
        return result;
    const bool guarded = overwrite == Overwrite::IfUnchanged && fullPath == m_fileName;
    if (guarded && m_onDisk.changedOn(fullPath)) {
        result.changedOnDisk = true;
        return result;
    }
    // Hashed as it is written, so that the file need not be read back.
    DiskState::Hash hash;
    qint64 size = 0;
    const auto write = [&hash, &size, compose = composer()](QIODevice& out) {
        HashedWrite hashed(out);
        const bool written = compose(hashed);
        hash = hashed.hash();
        size = hashed.written();
        return written;
    };
    // Checked again once the notes are written: another version that took the file's place in the meantime
    // is the user's to decide about, as one seen before the save. One that comes with the rename itself
    // is kept under a name of its own.
    QltFile::ReplaceGuard guard;
    if (guarded)
        guard.isUnchanged = [this](const QString& file) { return !m_onDisk.changedOn(file); };
    if (!QltFile::writeComposedNotes(fullPath, write, &result.error, &guard)) {
        result.changedOnDisk = guard.refused;
        return result;
    }
    if (guard.replacedSince) {
        m_onDisk = DiskState::notOurs();
        result.changedOnDisk = true;
        return result;
    }
    result.saved = true;
    result.otherVersionKeptAs = guard.keptAs;
    m_history.setClean();
    setModified(false);
    m_fileName = fullPath;
    m_onDisk = DiskState::of(fullPath, size, hash);
    holdLockOf(m_fileName, FileLock());
    return result;
}

bool NotesDocument::fileChangedOnDisk() const
{
    return !m_fileName.isEmpty() && m_onDisk.changedOn(m_fileName);
}

bool NotesDocument::fileGoneFromDisk() const
{
    return !m_fileName.isEmpty() && m_onDisk.isKnown() && !QFileInfo::exists(m_fileName);
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
                                                            const QByteArray& repeated, Protection::Kind kind,
                                                            const KeyDerivation::Cost& cost)
{
    if (!(m_protection.password == oldPassword))
        return PasswordChange::WrongOldPassword;
    if (newPassword != repeated)
        return PasswordChange::Mismatch;
    if (newPassword.size() > MaxPasswordLength)
        return PasswordChange::TooLong;
    Protection protection{SecretBytes(newPassword), std::nullopt};
    if (!newPassword.isEmpty() && kind == Protection::Kind::Strong) {
        // A new salt with every new password.
        protection.key = KeyDerivation::derive(protection.password, KeyDerivation::fresh(cost));
        if (!protection.key)
            return PasswordChange::NoMemory;
    }
    m_history.apply(NoteCommands::setProtection(std::move(protection)));
    return PasswordChange::Changed;
}

void NotesDocument::insertNote(int row, Note note)
{
    m_history.apply(NoteCommands::insertNote(row, std::move(note)));
}

void NotesDocument::setNote(int row, Note note)
{
    if (hasRow(row))
        m_history.apply(NoteCommands::setNote(row, std::move(note)));
}

void NotesDocument::removeNote(int row)
{
    if (hasRow(row))
        m_history.apply(NoteCommands::removeNote(row));
}

void NotesDocument::swapNotes(int a, int b)
{
    if (hasRow(a) && hasRow(b) && a != b) {
        SharedSrc::ExtractCaption(m_model.note(a).text); // not stored: the list shows it from the text
        m_history.apply(NoteCommands::swapNotes(a, b));
    }
}

void NotesDocument::setPriority(int row, const QByteArray& name)
{
    if (hasRow(row))
        m_history.apply(NoteCommands::setPriority(row, name));
}

void NotesDocument::setDone(int row, bool done)
{
    if (hasRow(row))
        m_history.apply(NoteCommands::setDone(row, done));
}

void NotesDocument::sort(NotesSorter::SortBy by, bool ascending)
{
    m_history.apply(NoteCommands::sort(by, ascending));
}
