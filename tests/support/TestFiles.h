#pragma once

#include <QByteArray>
#include <QString>

// A file's bytes, or "<unreadable>": a missing file never passes for an empty one.
QByteArray readFile(const QString& path);
// Replaces the file's content, making its folder when missing; false when it cannot be written whole.
bool writeFile(const QString& path, const QByteArray& bytes);
// The id of a process of this test's that has ended, as a lock left by a crash names it.
qint64 endedProcessId();
