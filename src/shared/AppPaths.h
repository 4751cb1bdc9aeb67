#pragma once

#include <QStandardPaths>
#include <QString>

// Where the program keeps its files.
//
// Settings and logs ("Quillet.ini", "qltdbg.dat", "ErrorLog.txt") stay beside the executable when that
// folder is writable, so a portable copy carries them along. An installed copy (its folder cannot be
// written, or it sits in an installed layout: ../share/quillet beside it, on Windows the installer's
// Uninstall.exe) keeps them in $XDG_CONFIG_HOME/Quillet, on Windows %APPDATA%\Quillet, instead, so
// settings are never silently lost. The files the program ships
// ("License.txt", the help file) are looked up beside the executable first, then in ../share/quillet.
// $QUILLET_APPDIR, when set, replaces all of these folders.
namespace AppPaths {

QString executablePath();
QString executableDir(); // the running executable's folder, or $QUILLET_APPDIR

QString dataDir();      // settings and logs, without trailing separator
QString iniFileName();  // "Quillet.ini"
QString debugLogPath(); // "qltdbg.dat"
QString errorLogPath(); // "ErrorLog.txt"
QString licensePath();  // "License.txt"
QString helpFilePath(); // "Quillet.chm", else the shipped "Quillet.html"; the .chm path when neither is found

// The rules above for a given executable folder, without $QUILLET_APPDIR; dataDir() is dataDirFor() of
// the running executable's folder.
// A base directory of the desktop as Qt finds it ($XDG_CONFIG_HOME, $XDG_DATA_HOME), or ~/`fallback` where
// the variable is relative: the base directory rules ignore those, Qt 6.4 takes them as they are.
QString baseDirectory(QStandardPaths::StandardLocation location, const char* fallback);
QString configDir();                              // $XDG_CONFIG_HOME/Quillet or ~/.config/Quillet
QString dataDirFor(const QString& exeDir);        // creates configDir() when it chooses it
QString installedShareDir(const QString& exeDir); // exeDir/../share/quillet
QString shippedFilePath(const QString& exeDir, const QString& name); // beside exeDir, else the share folder

} // namespace AppPaths
