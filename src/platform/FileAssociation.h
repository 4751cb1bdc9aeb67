#pragma once

#include <QString>

// Registers this program as the opener of ".qlt" files for the current user.
//
// On a freedesktop desktop: the MIME package (application/x-quillet, glob *.qlt), a desktop entry that
// opens the file in `exe` (the installed one when `exe` was installed with its entry, else a hidden one of
// its own), the default in mimeapps.list; then the desktop's MIME and desktop-entry databases are
// refreshed when their tools are installed.
//
// On Windows: ".qlt" -> "QuilletFile" ("Quillet File"), its DefaultIcon (the executable's first icon) and
// its open command, as default values of keys under HKEY_CURRENT_USER\Software\Classes, which the
// classes root merges over the machine's for this user; a normal user cannot write the machine's. Then
// the shell is told that associations changed.
namespace FileAssociation {

#ifdef Q_OS_WIN
QString classesKey(); // "Software\Classes", under HKEY_CURRENT_USER
#else
inline constexpr char MimeType[] = "application/x-quillet";

QString mimePackagePath();  // $XDG_DATA_HOME/mime/packages/application-x-quillet.xml
QString desktopEntryPath(); // $XDG_DATA_HOME/applications/quillet.desktop, for a copy not installed
QString mimeAppsListPath(); // $XDG_CONFIG_HOME/mimeapps.list
#endif

// False, with "创建文件关联错误:\r\n<code> - <system text>" in `error`, at the first file or key that
// cannot be written; those written before it stay. Every file is replaced atomically, so none is left
// half-written. A refresh tool that fails is not an error: the files are in place for the desktop's
// next scan.
bool registerFileType(const QString& exe, QString* error = nullptr);

} // namespace FileAssociation
