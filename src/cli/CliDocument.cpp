#include "cli/CliDocument.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/PasswordSource.h"
#include "shared/Cipher.h"

CliDocument CliDocument::open(const QString& path, PasswordSource& passwords, Missing missing)
{
    QltFile::ReadResult read = QltFile::readAll(path);
    if (read.status == QltFile::ReadStatus::Missing && missing == Missing::CreateEmpty) {
        CliDocument empty;
        empty.path = path;
        return empty;
    }
    const QByteArray bytes = bytesOf(path, std::move(read));
    const QltFormat::Header header = readHeader(bytes);
    QByteArray password;
    if (header.hasPassword) {
        password = passwords.next(CliMessages::passwordPrompt());
        if (!passwordMatches(header, password))
            throw CliFailure(CliMessages::wrongPassword());
    }
    return fromBytes(path, bytes, header, password);
}

QByteArray CliDocument::readFileBytes(const QString& path)
{
    return bytesOf(path, QltFile::readAll(path));
}

QByteArray CliDocument::bytesOf(const QString& path, QltFile::ReadResult read)
{
    switch (read.status) {
    case QltFile::ReadStatus::Ok:
        return std::move(read.bytes);
    case QltFile::ReadStatus::Missing:
        throw CliFailure(CliMessages::fileMissing(path));
    case QltFile::ReadStatus::CannotRead:
        break;
    }
    throw CliFailure(CliMessages::damagedFile());
}

QltFormat::Header CliDocument::readHeader(const QByteArray& fileBytes)
{
    const QltFormat::HeaderResult result = QltFormat::readHeader(fileBytes);
    switch (result.error) {
    case QltFormat::Error::None:
        return result.header;
    case QltFormat::Error::BadSignature:
        throw CliFailure(CliMessages::notQuilletFile());
    case QltFormat::Error::BadVersion:
        throw CliFailure(CliMessages::badVersion(result.header.version));
    case QltFormat::Error::Damaged:
        break;
    }
    throw CliFailure(CliMessages::damagedFile());
}

bool CliDocument::passwordMatches(const QltFormat::Header& header, const QByteArray& password)
{
    return SharedSrc::GetDecryptCheck(header.check, password) == SharedSrc::CheckMagic;
}

CliDocument CliDocument::fromBytes(const QString& path, const QByteArray& fileBytes,
                                   const QltFormat::Header& header, const QByteArray& password)
{
    // A password that shares the check value of the real one deciphers into garbage, which the
    // record lengths then give away as a damaged file.
    std::optional<QList<Note>> notes =
        QltFormat::readNotes(fileBytes.mid(QltFormat::StreamOffset), QltFormat::streamKey(password));
    if (!notes)
        throw CliFailure(CliMessages::damagedFile());
    CliDocument document;
    document.path = path;
    document.notes = std::move(*notes);
    document.password = password;
    document.reserved = header.reserved;
    return document;
}

void CliDocument::save() const
{
    if (!QltFile::writeNotes(path, notes, password, reserved))
        throw CliFailure(CliMessages::cannotSave());
}
