#pragma once

#include "document/DiskState.h"
#include "document/FileLock.h"
#include "document/Note.h"
#include "document/NotesHistory.h"
#include "document/NotesModel.h"
#include "document/NotesSorter.h"
#include "document/Protection.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class FileWatch;
class QAbstractItemModel;
class QIODevice;

// One notes document: the notes, the file they belong to, the password that file is enciphered with, the
// header's Reserved value, whether anything changed since the last open or save, and the file's lock.
// The window and quillet-cli open, change and save notes through it; it shows nothing itself.
class NotesDocument : public QObject
{
    Q_OBJECT

public:
    // The longest password a user may set, in bytes of the file's code page.
    static constexpr qsizetype MaxPasswordLength = 100;

    enum class Locking
    {
        None,         // quillet-cli and tools: the file is not marked as open
        HoldFileLock, // a window: one window per file, see FileLock
        // quillet-cli changing a file: the lock is taken before the read and held until the document goes,
        // so that two writers never lose each other's change; another writer is waited for briefly
        Writer,
    };

    enum class OpenStatus
    {
        Opened,
        Missing,       // no such file
        BadSignature,  // not a notes file
        BadVersion,    // a version this program does not read: OpenResult::version
        Damaged,       // unreadable, cut short, or a record runs past the end
        WrongPassword, // the password given does not open the file
        // The password passes the file's check, but a record it deciphers is none a writer makes: a password
        // sharing the check value, or a damaged file, as far as can be told
        WrongPasswordOrDamaged,
        Cancelled,     // no password was given, or the notes were not to be replaced
        LockedByOther, // another window has the file, and opening it anyway was declined: OpenResult::holder
        Busy,          // another writer kept the file's lock longer than a writer waits
    };

    struct OpenResult
    {
        OpenStatus status = OpenStatus::Opened;
        quint16 version = 0;        // the file's version, for BadVersion
        QString reason;             // the system's reason, for a Damaged file that could not be read
        bool documentReset = false; // the notes were emptied before the failure: the document is a new one
        FileLock::Holder holder;    // who has the file, for LockedByOther and Busy
    };

    // What a password typed for a protected file does.
    enum class PasswordFit
    {
        Opens,
        Wrong,
        WrongOrDamaged, // as far as the file tells: see WrongPasswordOrDamaged
    };
    using PasswordTest = std::function<PasswordFit(const QByteArray&)>;

    // What an open asks of whoever opens the file.
    class OpenQuestions
    {
    public:
        virtual ~OpenQuestions() = default;
        // The password of a protected file; `test` tells what a password does. Nothing: given up.
        virtual std::optional<QByteArray> password(const PasswordTest& test) = 0;
        // Another window has the file open: open it all the same?
        virtual bool openDespiteLock() { return false; }
    };

    // A file read and checked for an open, its lock taken, its notes not yet in the document.
    class Opening
    {
    public:
        Opening(Opening&&) noexcept;
        Opening& operator=(Opening&&) noexcept;
        ~Opening();
        // Opened: the notes can be taken; anything else says why not, and the document is as it was.
        const OpenResult& result() const { return m_result; }

    private:
        friend class NotesDocument;
        struct File;
        Opening();

        OpenResult m_result;
        std::unique_ptr<File> m_file;
    };

    struct SaveResult
    {
        bool saved = false;
        bool changedOnDisk = false; // not saved: someone else wrote the file since it was read or saved
        QString error;              // the system's reason when not saved otherwise
        // Saved, but another program's version arrived at the very moment the file was replaced: it is
        // kept under this name beside the file
        QString otherVersionKeptAs;
    };

    enum class Overwrite
    {
        IfUnchanged, // the document's own file only when nobody else wrote it since
        Always,      // the user chose to replace whatever is there
    };

    enum class PasswordChange
    {
        Changed,
        WrongOldPassword,
        Mismatch, // new password and its repetition differ
        TooLong,  // over MaxPasswordLength
        NoMemory, // the strong key could not be derived
    };

    explicit NotesDocument(Locking locking = Locking::None, QObject* parent = nullptr);

    // For reading; the notes are changed through the operations below, which mark the document modified.
    const NotesModel& model() const { return m_model; }
    // For a view: the model takes no edits of its own.
    QAbstractItemModel* itemModel() { return &m_model; }
    void setIconProvider(std::function<QVariant(int imageIndex)> provider);
    const QList<Note>& notes() const { return m_model.notes(); }

    QString fileName() const { return m_fileName; }
    // A copy: the document keeps its own in guarded memory.
    QByteArray password() const { return m_protection.password.toByteArray(); }
    Protection::Kind protection() const { return m_protection.kind(); }
    quint32 reserved() const { return m_reserved; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    // Whether this window holds the lock of `path`, which is the document's own file then.
    bool holdsLockOf(const QString& path) const;

    // An empty, unnamed document without password.
    void clear();
    // The file's notes replace the document's; it becomes the document's file.
    OpenResult open(const QString& path, OpenQuestions& questions);
    // The same in two halves, for a caller that empties the document itself in between: startOpen reads
    // and checks the file and takes its lock, changing nothing; finishOpen asks for the password and
    // replaces the notes.
    Opening startOpen(const QString& path, OpenQuestions& questions);
    OpenResult finishOpen(Opening opening, OpenQuestions& questions);
    // Reads the document's own file again after someone else changed it, with the password the document
    // has; one caught half-written, damaged or under another password leaves the notes as they are. False
    // when nothing was read.
    bool reload();
    // The file's notes are appended; the document keeps its file and password and is marked modified.
    OpenResult merge(const QString& path, OpenQuestions& questions);
    // The notes kept by writeRecovery replace the document's, with the password they were kept with, and
    // count as unsaved; the document keeps its file and lock.
    OpenResult recover(const QString& path, OpenQuestions& questions);
    // Writes the notes as a save would, enciphered alike, to a new file at `path` readable by its owner
    // only; the document stays as it is, unsaved.
    bool writeRecovery(const QString& path, QString* error = nullptr) const;
    // Lets another window have the file without a warning.
    void releaseLock() { m_lock.release(); }
    // Writes the notes to `path` (made absolute), which becomes the document's file; a failed save leaves
    // the file on disk, the name and the modified mark as they were.
    SaveResult save(const QString& path, Overwrite overwrite = Overwrite::IfUnchanged);
    // Whether someone else wrote the document's file since it was opened or last saved.
    bool fileChangedOnDisk() const;
    // Whether the document's file, once opened or saved, is no longer there.
    bool fileGoneFromDisk() const;
    // The notes are no longer on disk as they are here: they count as unsaved until the next save.
    void markNotOnDisk() { m_history.forgetSavedState(); }
    // The rules of setting, changing and removing the password (an empty new password removes it), in the
    // order they are checked. A strong password derives its key here, at `cost`, and so takes a moment.
    PasswordChange changePassword(const QByteArray& oldPassword, const QByteArray& newPassword,
                                  const QByteArray& repeated, Protection::Kind kind,
                                  const KeyDerivation::Cost& cost = KeyDerivation::Tuned);

    void insertNote(int row, Note note);
    void setNote(int row, Note note);
    void removeNote(int row);
    void swapNotes(int a, int b);
    // The note of row `from` goes to row `to`, the notes between it and there closing up behind it.
    void moveNote(int from, int to);
    void setPriority(int row, const QByteArray& name);
    void setDone(int row, bool done);
    void sort(NotesSorter::SortBy by, bool ascending);

    // Every change above can be undone and redone; a change to a row that is not there changes nothing.
    // New, open and reload start a new history; a save marks the step the file holds, so that the
    // document is modified exactly when it is not at that step.
    const NotesHistory& history() const { return m_history; }
    // The row to select afterwards (a row past the end: none), or NoteStep::KeepSelection.
    int undo();
    int redo();

    // Whether `password` opens a file whose password block holds `check`.
    static bool passwordOpens(const QByteArray& check, const QByteArray& password);

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // New, open and save give the document its file (empty: none), also the same one again; its password
    // and protection come with it.
    void fileNameChanged(const QString& fileName);
    // The password or its protection changed while the file stayed.
    void protectionChanged();
    // The notes are in the document's file now; fileNameChanged came first.
    void saved(const QString& fileName);
    // The document's file was read again; its notes replace the document's.
    void reloaded();
    // Someone else changed or removed the document's file since it was opened or saved; only a window's
    // document watches its file.
    void changedOnDisk();

private:
    bool hasRow(int row) const { return row >= 0 && row < m_model.rowCount(); }
    enum class ReadInto
    {
        Replace,
        Reload,
        Append,
        Recover,
    };
    OpenResult read(const QString& path, OpenQuestions& questions, ReadInto into);
    Opening readFile(const QString& path, OpenQuestions& questions, ReadInto into);
    OpenResult take(Opening opening, OpenQuestions& questions);
    // clear() without telling anyone.
    void reset();
    void setFileName(const QString& fileName);
    int followStep(int row, const Protection& before);
    // Writes the file of the notes as they are, in the document's format.
    std::function<bool(QIODevice&)> composer() const;
    std::optional<KeyDerivation::Key> keyFor(const SecretBytes& password, const KeyDerivation::Params& params,
                                             const Protection& known) const;
    void holdLockOf(const QString& path, FileLock candidate);

    const Locking m_locking;
    NotesModel m_model;
    QString m_fileName;
    Protection m_protection;
    quint32 m_reserved = 0;
    bool m_modified = false;
    FileLock m_lock;    // of m_fileName while there is one, for a window; of the file read, for a writer
    DiskState m_onDisk; // m_fileName as it was opened or last saved
    FileWatch* m_watch = nullptr; // of m_fileName, for a window
    NotesHistory m_history{DocumentParts{m_model, m_protection}};
};
