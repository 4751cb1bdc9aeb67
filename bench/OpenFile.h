#pragma once

#include <QByteArray>
#include <QString>

class NotesModel;

// Opens a notes file into the model the way the program does: read it whole, check header and password,
// decipher and parse, then hand all notes to the model in one step. The file's buffer becomes the stream
// without a copy (dropping the 18 header bytes from the front of a QByteArray moves no data).
// Stops the benchmark when the file does not open.
void openInto(NotesModel& model, const QString& path, const QByteArray& password);
