#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class NotesDocument;
class PasswordSource;

// quillet-cli's way to read and write notes files: through the program's NotesDocument, turning every
// failure into a CliFailure that carries the program's message.
namespace CliDocument {

enum class Missing
{
    Fail,
    CreateEmpty, // a file that does not exist yet is an empty document
};

enum class WindowLock
{
    Honour,
    Ignore, // --force: write even while a window has the file open
};

// Opens `path` into `document`, asking `passwords` when the file is protected. A writer's document
// refuses a file a window has open unless told to ignore that.
void open(NotesDocument& document, const QString& path, PasswordSource& passwords,
          Missing missing = Missing::Fail, WindowLock windowLock = WindowLock::Honour);
// The same, where the protected file's password is what `askPassword` gives, and a password that does
// not open it is refused with `refusal`.
void open(NotesDocument& document, const QString& path, const std::function<QByteArray()>& askPassword,
          const QString& refusal, WindowLock windowLock);
// Appends the notes of `path`, asking `passwords` when that file is protected.
void merge(NotesDocument& document, const QString& path, PasswordSource& passwords);
// Writes the document to `path`, the file it was read from, unless someone else has written it since.
void save(NotesDocument& document, const QString& path);

} // namespace CliDocument
