#pragma once

#include "document/Note.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

class PasswordSource;

// One notes file as quillet-cli holds it between reading and writing it back: the notes, the password
// they are enciphered with and the header's Reserved value, which a rewrite keeps.
class CliDocument
{
public:
    enum class Missing
    {
        Fail,
        CreateEmpty,
    };

    // Reads the whole file, asking `passwords` when it is protected. Throws CliFailure with the
    // program's message for a missing, foreign, newer or damaged file and for a wrong password.
    static CliDocument open(const QString& path, PasswordSource& passwords, Missing missing = Missing::Fail);

    // The steps of open() one by one, for callers that must check a password themselves.
    static QByteArray readFileBytes(const QString& path);
    static QltFormat::Header readHeader(const QByteArray& fileBytes);
    static bool passwordMatches(const QltFormat::Header& header, const QByteArray& password);
    static CliDocument fromBytes(const QString& path, const QByteArray& fileBytes,
                                 const QltFormat::Header& header, const QByteArray& password);

    // Writes the file atomically. Throws CliFailure when it cannot.
    void save() const;

    QString path;
    QList<Note> notes;
    QByteArray password;
    quint32 reserved = 0;

private:
    static QByteArray bytesOf(const QString& path, QltFile::ReadResult read);
};
