#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliDocument.h"
#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/CliNoteText.h"
#include "cli/PasswordSource.h"
#include "shared/NoteFields.h"

namespace CliCommands {
namespace {

constexpr qsizetype MaxPasswordBytes = 100;

} // namespace

void add(const CliRequest& request, PasswordSource& passwords)
{
    CliDocument document =
        CliDocument::open(request.operands.at(0), passwords, CliDocument::Missing::CreateEmpty);
    Note note;
    note.text = CliNoteText::fromArgument(request.operands.at(1));
    note.priority = SharedSrc::GetPriorityByIndex(quint16(request.priority));
    note.imageIndex = request.done ? Note::ImageDone : Note::ImageNotDone;
    document.notes.append(note);
    document.save();
}

void toggleDone(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    CliDocument document = CliDocument::open(request.operands.at(0), passwords);
    Note& note = document.notes[CliNoteText::noteIndex(request.operands.at(1), document.notes.size())];
    // Any image other than "done" counts as not done, and toggling makes it done.
    note.imageIndex = note.isDone() ? Note::ImageNotDone : Note::ImageDone;
    document.save();
}

void remove(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    CliDocument document = CliDocument::open(request.operands.at(0), passwords);
    document.notes.removeAt(CliNoteText::noteIndex(request.operands.at(1), document.notes.size()));
    document.save();
}

void import(const CliRequest& request, PasswordSource& passwords)
{
    // The order of the password questions is part of the interface: FILE's, then OTHER's.
    CliDocument document = CliDocument::open(request.operands.at(0), passwords);
    const CliDocument other = CliDocument::open(request.operands.at(1), passwords);
    document.notes.append(other.notes);
    document.save();
}

void passwd(const CliRequest& request, PasswordSource& passwords)
{
    const QString& path = request.operands.at(0);
    const QByteArray bytes = CliDocument::readFileBytes(path);
    const QltFormat::Header header = CliDocument::readHeader(bytes);
    // Without a password the notes can be checked before anything is asked.
    std::optional<CliDocument> document;
    if (!header.hasPassword)
        document = CliDocument::fromBytes(path, bytes, header, {});

    const QByteArray oldPassword = passwords.next(CliMessages::oldPasswordPrompt());
    const QByteArray newPassword = passwords.next(CliMessages::newPasswordPrompt());
    const QByteArray repeated = passwords.next(CliMessages::repeatPasswordPrompt());

    // The same checks, in the same order, as the set-password dialog.
    const bool oldRight =
        header.hasPassword ? CliDocument::passwordMatches(header, oldPassword) : oldPassword.isEmpty();
    if (!oldRight)
        throw CliFailure(CliMessages::wrongOldPassword());
    if (!document)
        document = CliDocument::fromBytes(path, bytes, header, oldPassword);
    if (newPassword != repeated)
        throw CliFailure(CliMessages::passwordsDiffer());
    if (newPassword.size() > MaxPasswordBytes)
        throw CliFailure(CliMessages::passwordTooLong());
    document->password = newPassword;
    document->save();
}

} // namespace CliCommands
