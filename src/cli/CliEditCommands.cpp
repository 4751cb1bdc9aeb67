#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliDocument.h"
#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/CliNoteText.h"
#include "cli/PasswordSource.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "shared/NoteFields.h"

namespace {

CliDocument::WindowLock windowLock(const CliRequest& request)
{
    return request.force ? CliDocument::WindowLock::Ignore : CliDocument::WindowLock::Honour;
}

} // namespace

namespace CliCommands {

void add(const CliRequest& request, PasswordSource& passwords)
{
    const QString& path = request.operands.at(0);
    NotesDocument document(NotesDocument::Locking::Writer);
    CliDocument::open(document, path, passwords, CliDocument::Missing::CreateEmpty, windowLock(request));
    Note note;
    note.text = CliNoteText::fromArgument(request.operands.at(1));
    note.priority = SharedSrc::GetPriorityByIndex(quint16(request.priority));
    note.imageIndex = request.done ? Note::ImageDone : Note::ImageNotDone;
    document.insertNote(document.model().rowCount(), std::move(note));
    CliDocument::save(document, path);
}

void toggleDone(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    NotesDocument document(NotesDocument::Locking::Writer);
    CliDocument::open(document, request.operands.at(0), passwords, CliDocument::Missing::Fail,
                      windowLock(request));
    const int row = int(CliNoteText::noteIndex(request.operands.at(1), document.notes().size()));
    // Any image other than "done" counts as not done, and toggling makes it done.
    document.setDone(row, !document.notes().at(row).isDone());
    CliDocument::save(document, request.operands.at(0));
}

void remove(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    NotesDocument document(NotesDocument::Locking::Writer);
    CliDocument::open(document, request.operands.at(0), passwords, CliDocument::Missing::Fail,
                      windowLock(request));
    document.removeNote(int(CliNoteText::noteIndex(request.operands.at(1), document.notes().size())));
    CliDocument::save(document, request.operands.at(0));
}

void import(const CliRequest& request, PasswordSource& passwords)
{
    // The order of the password questions is part of the interface: FILE's, then OTHER's.
    NotesDocument document(NotesDocument::Locking::Writer);
    CliDocument::open(document, request.operands.at(0), passwords, CliDocument::Missing::Fail,
                      windowLock(request));
    CliDocument::merge(document, request.operands.at(1), passwords);
    CliDocument::save(document, request.operands.at(0));
}

// The same checks, in the same order, as the set-password dialog. All three passwords are asked for
// before any is checked; a file without password is read (and found damaged) before anything is asked.
void passwd(const CliRequest& request, PasswordSource& passwords)
{
    const QString& path = request.operands.at(0);
    QByteArray oldPassword;
    QByteArray newPassword;
    QByteArray repeated;
    bool asked = false;
    const auto askAll = [&] {
        oldPassword = passwords.next(CliMessages::oldPasswordPrompt());
        newPassword = passwords.next(CliMessages::newPasswordPrompt());
        repeated = passwords.next(CliMessages::repeatPasswordPrompt());
        asked = true;
        return oldPassword;
    };
    NotesDocument document(NotesDocument::Locking::Writer);
    // The old password is checked as the file's own before the notes are read.
    CliDocument::open(document, path, askAll,
                      DocumentMessages::passwordRefused(NotesDocument::PasswordChange::WrongOldPassword),
                      windowLock(request));
    if (!asked)
        askAll();
    // A protected file keeps its kind of protection unless told otherwise; a new password is strong.
    const Protection::Kind kind = request.protection.value_or(
        document.protection() == Protection::Kind::Classic ? Protection::Kind::Classic
                                                           : Protection::Kind::Strong);
    const NotesDocument::PasswordChange change =
        document.changePassword(oldPassword, newPassword, repeated, kind);
    if (change != NotesDocument::PasswordChange::Changed)
        throw CliFailure(DocumentMessages::passwordRefused(change));
    CliDocument::save(document, path);
}

} // namespace CliCommands
