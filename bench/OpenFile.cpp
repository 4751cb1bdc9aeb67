#include "OpenFile.h"

#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "shared/Cipher.h"

void openInto(NotesModel& model, const QString& path, const QByteArray& password)
{
    QltFile::ReadResult read = QltFile::readAll(path);
    if (read.status != QltFile::ReadStatus::Ok)
        qFatal("cannot read %s", qPrintable(path));
    const QltFormat::HeaderResult header = QltFormat::readHeader(read.bytes);
    if (header.error != QltFormat::Error::None || header.header.hasPassword != !password.isEmpty() ||
        (!password.isEmpty() &&
         SharedSrc::GetDecryptCheck(header.header.check, password) != SharedSrc::CheckMagic))
        qFatal("%s does not open", qPrintable(path));
    QByteArray stream = std::move(read.bytes);
    stream.remove(0, QltFormat::StreamOffset);
    std::optional<QList<Note>> notes =
        QltFormat::readNotes(std::move(stream), QltFormat::streamKey(password));
    if (!notes)
        qFatal("%s is damaged", qPrintable(path));
    model.appendNotes(std::move(*notes));
}
