#pragma once

#include <QString>

// Where a window that is made to end keeps its unsaved notes until the next start: beside the settings,
// one file per notes file, and one per window for a list that has no file yet.
namespace RecoveryFiles {

// The recovery file of the notes file `notesPath`; for an empty path, that of this process's unnamed list.
QString pathFor(const QString& notesPath);
// A recovery file that an unnamed list left behind, the oldest first; empty when there is none.
QString unnamedLeftBehind();

} // namespace RecoveryFiles
