#pragma once

#include <QByteArray>
#include <QString>

// A file's bytes, or "<unreadable>": a missing file never passes for an empty one.
QByteArray readFile(const QString& path);
// Replaces the file's content, making its folder when missing; false when it cannot be written whole.
bool writeFile(const QString& path, const QByteArray& bytes);
// Puts `from` in place of `to` by one rename, as another program replaces a file.
bool moveOver(const QString& from, const QString& to);
// Whether this process holds `path` open.
bool isOpenHere(const QString& path);
// The id of a process of this test's that has ended, as a lock left by a crash names it.
qint64 endedProcessId();
