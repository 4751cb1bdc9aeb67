#pragma once

#include <QString>

// Points the program's own folder and the desktop's settings, data and cache folders into `dir`, so that a
// test reads and writes nothing of the user's; false when `dir` is empty (a temporary folder that failed).
bool useProgramFolders(const QString& dir);
