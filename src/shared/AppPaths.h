#pragma once

#include <QString>

// Where the program keeps its files: beside the executable, or in $QUILLET_APPDIR when that is set.
namespace AppPaths {
QString executablePath();
QString dataDir();      // without trailing separator
QString iniFileName();  // "Quillet.ini"
QString debugLogPath(); // "qltdbg.dat"
QString errorLogPath(); // "ErrorLog.txt"
QString licensePath();  // "License.txt"
QString helpFilePath(); // "Quillet.chm"
} // namespace AppPaths
