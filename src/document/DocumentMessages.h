#pragma once

#include "document/NotesDocument.h"

#include <QString>

struct NoteCounts;

// The program's words for what happens to a document, shared by the window and quillet-cli.
namespace DocumentMessages {

// Why a file did not open, as the window reports it: empty where there is nothing to tell (cancelled,
// declined). A missing file is named after a CR.
QString openFailure(const NotesDocument::OpenResult& result, const QString& path);
QString fileMissing(const QString& path);
// Both with the system's reason on a second line when one is given.
QString damagedFile(const QString& reason = {});
QString cannotSave(const QString& reason = {});
// Who has a file open that a change was to be written to.
QString openInWindow(const FileLock::Holder& holder);
// The file was written by someone else since it was read or saved; the path follows on its own line.
QString changedOnDisk(const QString& path);
// Another program's version came while the file was being replaced; it is kept at `keptAs`.
QString otherVersionKept(const QString& keptAs);
QString cannotExport();
// The report was to replace the notes file it is made of.
QString exportOverNotesFile();
QString wrongPassword();
QString wrongPasswordOrDamaged();
// Why a password was not set; empty for a change that went through.
QString passwordRefused(NotesDocument::PasswordChange change);

// The counts as the status bar and the text report word them.
QString totalText(const NoteCounts& counts);
QString doneText(const NoteCounts& counts);
QString notDoneText(const NoteCounts& counts);

} // namespace DocumentMessages
