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
QString cannotExport();
QString wrongPassword();
// Why a password was not set; empty for a change that went through.
QString passwordRefused(NotesDocument::PasswordChange change);

// The counts as the status bar and the text report word them.
QString totalText(const NoteCounts& counts);
QString doneText(const NoteCounts& counts);
QString notDoneText(const NoteCounts& counts);

} // namespace DocumentMessages
