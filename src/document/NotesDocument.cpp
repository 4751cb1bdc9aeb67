#include "document/NotesDocument.h"

#include "document/FileWatch.h"
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

// What an open has read of its file before the notes are taken.
struct NotesDocument::Opening::File
{
    explicit File(const QString& fileName, ReadInto reading) : path(fileName), into(reading), opened(fileName)
    {}

    // Reads what is left of the file, hashing it and following its records; false when it cannot be read
    // or its chain of records broke.
    bool readRest(const QByteArray& key)
    {
        if (!strong)
            chain.emplace(QltFormat::streamKey(key), opened.size() - QltFormat::StreamOffset,
                          [this](qint64 pos, char* to) { return peek(pos, to); });
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
    }

    bool peek(qint64 pos, char* to)
    {
        const qint64 back = opened.pos();
        const bool peeked =
            opened.seek(QltFormat::StreamOffset + pos) &&
            opened.read(to, QltFormat::RecordChain::RecordSize) == QltFormat::RecordChain::RecordSize;
        return opened.seek(back) && peeked;
    }

    const QString path;
    const ReadInto into;
    // The file stays open until the end, so that what is deciphered is what was checked.
    QFile opened;
    QltFile::ReadResult file;
    bool strong = false;
    std::optional<KeyDerivation::Params> params;
    QltFormat::HeaderResult header;
    // Hashed as it is read, while the bytes are in the processor's cache.
    DiskState::Hash hash;
    // A broken chain ends the read, but the file is refused where a damaged stream always is.
    std::optional<QltFormat::RecordChain> chain;
    bool chainBroken = false;
    bool passwordFirst = false;
    // The lock taken here stays with `candidate` until the file has become the document.
    FileLock candidate;
    // What the document had before, for a file read again with the key it already holds.
    Protection known;
};

NotesDocument::Opening::Opening() = default;
NotesDocument::Opening::Opening(Opening&&) noexcept = default;
NotesDocument::Opening& NotesDocument::Opening::operator=(Opening&&) noexcept = default;
NotesDocument::Opening::~Opening() = default;

NotesDocument::NotesDocument(Locking locking, QObject* parent) : QObject(parent), m_locking(locking)
{
    connect(&m_history, &NotesHistory::changed, this, [this] { setModified(!m_history.isClean()); });
    if (m_locking == Locking::HoldFileLock) {
        m_watch = new FileWatch(this);
        connect(m_watch, &FileWatch::touched, this, [this] {
            if (fileGoneFromDisk() || fileChangedOnDisk())
                Q_EMIT changedOnDisk();
        });
    }
}

void NotesDocument::setModified(bool modified)
{
    const bool changed = modified != m_modified;
    m_modified = modified;
    if (changed)
        Q_EMIT modifiedChanged(modified);
}

void NotesDocument::setIconProvider(std::function<QVariant(int imageIndex)> provider)
{
    m_model.setIconProvider(std::move(provider));
}

bool NotesDocument::holdsLockOf(const QString& path) const
{
    return m_lock.isHeld() && m_lock.lockPath() == FileLock::lockPathFor(path);
}

void NotesDocument::clear()
{
    reset();
    setFileName(QString());
    Q_EMIT fileNameChanged(m_fileName);
}

void NotesDocument::reset()
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

void NotesDocument::setFileName(const QString& fileName)
{
    m_fileName = fileName;
    if (m_watch)
        m_watch->watch(fileName);
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

NotesDocument::Opening NotesDocument::startOpen(const QString& path, OpenQuestions& questions)
{
    return readFile(path, questions, ReadInto::Replace);
}

NotesDocument::OpenResult NotesDocument::finishOpen(Opening opening, OpenQuestions& questions)
{
    if (opening.result().status != OpenStatus::Opened)
        return opening.result();
    return take(std::move(opening), questions);
}

NotesDocument::OpenResult NotesDocument::merge(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, ReadInto::Append);
}

NotesDocument::OpenResult NotesDocument::recover(const QString& path, OpenQuestions& questions)
{
    return read(path, questions, ReadInto::Recover);
}

namespace {

// Reading the document's own file again asks nobody: the password it has either opens the file or the
// file is not taken (a changed password is the user's to give by opening the file again).
class ReloadQuestions : public NotesDocument::OpenQuestions
{
public:
    explicit ReloadQuestions(const QByteArray& password) : m_password(password) {}

    bool openDespiteLock() override { return true; }
    std::optional<QByteArray> password(const NotesDocument::PasswordTest& test) override
    {
        if (test(m_password) == NotesDocument::PasswordFit::Opens)
            return m_password;
        return std::nullopt;
    }

private:
    const QByteArray m_password;
};

} // namespace

bool NotesDocument::reload()
{
    // Read on the side first, so that a file that cannot be taken leaves the notes shown as they are.
    NotesDocument probe;
    ReloadQuestions asked(password());
    if (probe.open(m_fileName, asked).status != OpenStatus::Opened)
        return false;
    ReloadQuestions known(probe.password());
    return read(m_fileName, known, ReadInto::Reload).status == OpenStatus::Opened;
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

NotesDocument::OpenResult NotesDocument::read(const QString& path, OpenQuestions& questions, ReadInto into)
{
    Opening opening = readFile(path, questions, into);
    if (opening.result().status != OpenStatus::Opened)
        return opening.result();
    return take(std::move(opening), questions);
}

// The file is parsed as a whole before any note is added, so a damaged file or a withheld password adds
// nothing. readFile changes nothing in the document; take replaces or adds the notes, and an open that
// fails there after the notes were replaced leaves the empty, unnamed document.
NotesDocument::Opening NotesDocument::readFile(const QString& path, OpenQuestions& questions, ReadInto into)
{
    const bool replace = into == ReadInto::Replace || into == ReadInto::Reload;
    Opening opening;
    OpenResult& result = opening.m_result;
    const auto fail = [&opening, &result](OpenStatus status) {
        result.status = status;
        opening.m_file.reset();
        return std::move(opening);
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

    // The header is checked before the rest is read: a huge file that is no notes file costs nothing.
    opening.m_file = std::make_unique<Opening::File>(path, into);
    Opening::File& f = *opening.m_file;
    f.file = QltFile::readAll(f.opened, StrongFormat::PrefixSize);
    const auto unreadable = [&] {
        result.reason = f.file.error;
        return fail(OpenStatus::Damaged);
    };
    if (f.file.status == QltFile::ReadStatus::Missing)
        return fail(OpenStatus::Missing);
    if (f.file.status != QltFile::ReadStatus::Ok)
        return unreadable();

    // A strong file's parameters are judged before anything is derived or read: a cost beyond what a
    // reader allows is a damaged file, not a request for all memory.
    f.strong = StrongFormat::isStrong(f.file.bytes);
    f.params = f.strong ? StrongFormat::readParams(f.file.bytes) : std::nullopt;
    if (f.strong && !f.params)
        return fail(OpenStatus::Damaged);
    // The classic reader refuses the version, having read the header's Reserved value.
    f.header = QltFormat::readHeader(f.file.bytes);
    if (f.strong)
        f.header.error = QltFormat::Error::None;
    switch (f.header.error) {
    case QltFormat::Error::None:
        break;
    case QltFormat::Error::BadSignature:
        return fail(OpenStatus::BadSignature);
    case QltFormat::Error::BadVersion:
        result.version = f.header.header.version;
        return fail(OpenStatus::BadVersion);
    case QltFormat::Error::Damaged:
        return fail(OpenStatus::Damaged);
    }
    // The records are followed as the file is read: a huge file is refused at its first impossible one.
    // Those of a classic protected file can only be followed with its password, so only its first piece
    // is read before it is asked.
    f.passwordFirst = !f.strong && f.header.header.hasPassword;
    if (f.passwordFirst) {
        f.file.bytes += f.opened.read(DiskState::Hash::Piece - f.file.bytes.size());
        if (f.opened.error() != QFileDevice::NoError) {
            f.file.error = f.opened.errorString();
            return unreadable();
        }
    } else if (!f.readRest({})) {
        return unreadable();
    }

    if (replace && m_locking == Locking::HoldFileLock && !holdsLockOf(path)) {
        const FileLock::Result taken = f.candidate.acquireAfterWriters(path, WriterWait);
        result.holder = taken.holder;
        if (taken.status == FileLock::Status::HeldByOther && !questions.openDespiteLock())
            return fail(OpenStatus::LockedByOther);
    }
    f.known = m_protection;
    return opening;
}

NotesDocument::OpenResult NotesDocument::take(Opening opening, OpenQuestions& questions)
{
    Opening::File& f = *opening.m_file;
    const QString& path = f.path;
    const ReadInto into = f.into;
    const bool replace = into == ReadInto::Replace || into == ReadInto::Reload;
    OpenResult result = opening.m_result;
    // Emptied here: whoever shows the document hears of it should the read fail from here on.
    bool emptied = false;
    const auto fail = [&](OpenStatus status) {
        result.status = status;
        if (emptied) {
            setFileName(m_fileName);
            Q_EMIT fileNameChanged(m_fileName);
        }
        return result;
    };
    const auto unreadable = [&] {
        result.reason = f.file.error;
        return fail(OpenStatus::Damaged);
    };

    if (replace) {
        if (!m_fileName.isEmpty() || m_model.rowCount() > 0 || !m_protection.password.isEmpty()) {
            reset();
            emptied = true;
        }
        result.documentReset = true;
    }

    if (f.chainBroken)
        return fail(OpenStatus::Damaged);
    DiskState loaded;
    if (!f.passwordFirst && replace)
        loaded = DiskState::of(path, f.file.bytes.size(), f.hash);
    std::optional<QList<Note>> notes;
    QByteArray buffer; // what the notes' texts are parts of
    Protection protection;
    const QltFormat::Header& header = f.header.header;
    if (f.strong) {
        // The key of the password last tried, so that the one given is not derived twice.
        Protection tried;
        const auto opens = [&](const QByteArray& typed) {
            // As with a classic file, an empty password never opens.
            if (typed.isEmpty())
                return false;
            tried = Protection{SecretBytes(typed), keyFor(SecretBytes(typed), *f.params, f.known)};
            return tried.key && StrongFormat::keyOpens(f.file.bytes, tried.key->key);
        };
        const std::optional<QByteArray> given = questions.password([&opens](const QByteArray& typed) {
            return opens(typed) ? PasswordFit::Opens : PasswordFit::Wrong;
        });
        if (!given)
            return fail(OpenStatus::Cancelled);
        const bool derived = tried.key && tried.password == *given;
        if (!(derived ? StrongFormat::keyOpens(f.file.bytes, tried.key->key) : opens(*given)))
            return fail(OpenStatus::WrongPassword);
        // With the right key, anything that does not open is damage.
        notes = StrongFormat::readNotes(std::move(f.file.bytes), tried.key->key, &buffer);
        if (!notes)
            return fail(OpenStatus::Damaged);
        protection = std::move(tried);
    } else {
        QByteArray password;
        if (header.hasPassword) {
            const QByteArray& check = header.check;
            // Two passwords can share a check value; the wrong one deciphers into records no writer makes.
            // What the records say of the password last judged is kept for the one given.
            // Before the password is given, the file's first piece is judged; after it, the whole file.
            std::optional<std::pair<QByteArray, QltFormat::Verdict>> judged;
            const auto verdictOf = [&judged, &f](const QByteArray& typed) {
                const QByteArrayView stream = QByteArrayView(f.file.bytes).sliced(QltFormat::StreamOffset);
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
            if (!f.readRest(*given))
                return unreadable();
            if (f.chainBroken)
                return fail(OpenStatus::Damaged);
            if (replace)
                loaded = DiskState::of(path, f.file.bytes.size(), f.hash);
            judged.reset();
            if (const std::optional<OpenStatus> late = refusal(verdictOf(*given)))
                return fail(*late);
            password = *given;
        }
        // The file's buffer becomes the stream: dropping the header from the front moves no data, where a
        // copy of the rest would touch another 50 MB for a large list.
        QByteArray stream = std::move(f.file.bytes);
        stream.remove(0, QltFormat::StreamOffset);
        notes = QltFormat::readNotes(
            std::move(stream), QltFormat::streamKey(password),
            header.hasPassword ? QltFormat::Reading::Strict : QltFormat::Reading::Tolerant, &buffer);
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
        const bool sameProtection =
            protection.password == m_protection.password && protection.kind() == m_protection.kind();
        m_model.appendNotes(std::move(*notes));
        m_history.clear();
        m_protection = std::move(protection);
        m_reserved = f.header.header.reserved;
        m_history.forgetSavedState();
        if (!sameProtection)
            Q_EMIT protectionChanged();
        return result;
    }
    m_model.appendNotes(std::move(*notes));
    m_history.clear();
    m_protection = std::move(protection);
    setModified(false);
    m_reserved = header.reserved;
    m_onDisk = loaded;
    setFileName(RecentFiles::fullPath(path));
    holdLockOf(m_fileName, std::move(f.candidate));
    if (into == ReadInto::Reload)
        Q_EMIT reloaded();
    else
        Q_EMIT fileNameChanged(m_fileName);
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
    if (guarded) {
        guard.isUnchanged = [this](const QString& file) { return !m_onDisk.changedOn(file); };
        // The file ours replaced is told by its stamp, not by reading all of it again.
        guard.isUnchangedOnceMoved = [this](const QString& file) {
            return !m_onDisk.changedOnceMovedTo(file);
        };
    }
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
    setFileName(fullPath);
    m_onDisk = DiskState::of(fullPath, size, hash);
    holdLockOf(m_fileName, FileLock());
    Q_EMIT fileNameChanged(m_fileName);
    Q_EMIT saved(m_fileName);
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
    Q_EMIT protectionChanged();
    return PasswordChange::Changed;
}

int NotesDocument::undo()
{
    const Protection before = m_protection;
    return followStep(m_history.undo(), before);
}

int NotesDocument::redo()
{
    const Protection before = m_protection;
    return followStep(m_history.redo(), before);
}

// A password step undone or redone changes the protection as the command did.
int NotesDocument::followStep(int row, const Protection& before)
{
    if (!(before.password == m_protection.password) || before.kind() != m_protection.kind())
        Q_EMIT protectionChanged();
    return row;
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

void NotesDocument::moveNote(int from, int to)
{
    if (hasRow(from) && hasRow(to) && from != to)
        m_history.apply(NoteCommands::moveNote(from, to));
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
