#pragma once

#include "document/KeyDerivation.h"
#include "document/Note.h"

#include <QByteArray>
#include <QList>

#include <optional>

class QIODevice;

// The strong notes file, version 2 (docs/FILE-FORMAT.md): the classic header, the key derivation's
// parameters, and the classic record stream encrypted with libsodium's crypto_secretstream in chunks.
namespace StrongFormat {

inline constexpr quint16 Version = 2;
// Plain bytes of the record stream per chunk; the last chunk holds fewer, possibly none.
inline constexpr qsizetype ChunkSize = 64 * 1024;
// The header, the key-derivation block, the stream header, the key check and the digest: what an open
// reads before the rest.
inline constexpr qsizetype PrefixSize = 94;

// Whether `file` begins as a notes file of this version.
bool isStrong(QByteArrayView file);
// The key-derivation parameters of a file whose first PrefixSize bytes are `file`; nothing when they are
// cut short, fail their digest, or ask for more than a reader allows.
std::optional<KeyDerivation::Params> readParams(QByteArrayView file);
// Whether `key` is the file's: its key check opens with it.
bool keyOpens(QByteArrayView file, const SecretBytes& key);
// Every note of the file; nothing when any chunk is missing, cut, altered, or the records are damaged. The
// file's buffer becomes the notes' texts, left in `buffer` as QltFormat::readRecords leaves it.
std::optional<QList<Note>> readNotes(QByteArray file, const SecretBytes& key, QByteArray* buffer = nullptr);

// The whole file, with a fresh stream header every time.
bool writeTo(QIODevice& out, const QList<Note>& notes, quint32 reserved, const KeyDerivation::Key& key);
QByteArray write(const QList<Note>& notes, quint32 reserved, const KeyDerivation::Key& key);

} // namespace StrongFormat
