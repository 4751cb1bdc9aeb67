#pragma once

#include <QByteArray>
#include <QString>

class NotesDocument;

// Opens a notes file as the program does, through NotesDocument, with `password` for a protected file.
// Stops the benchmark when the file does not open.
void openInto(NotesDocument& document, const QString& path, const QByteArray& password);
