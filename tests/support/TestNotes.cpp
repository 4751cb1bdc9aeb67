#include "TestNotes.h"

#include "TestFiles.h"

#include "document/QltFormat.h"
#include "shared/AnsiText.h"

QByteArray gb(QStringView text)
{
    return AnsiText::fromUnicode(text);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

Note makeNote(QStringView text, QStringView priority, bool done)
{
    return Note{gb(text), gb(priority), done ? Note::ImageDone : Note::ImageNotDone};
}

QByteArray notesFile(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    return QltFormat::write(notes, password, reserved);
}

QList<Note> notesIn(const QString& path, const QByteArray& password)
{
    const QByteArray bytes = readFile(path);
    if (QltFormat::readHeader(bytes).error != QltFormat::Error::None)
        return {};
    return QltFormat::readNotes(bytes.mid(QltFormat::StreamOffset), QltFormat::streamKey(password))
        .value_or(QList<Note>());
}
