#include "document/StrongFormat.h"

#include "document/QltFormat.h"

#include <QBuffer>
#include <QtEndian>

#include <sodium.h>

#include <cstring>

namespace StrongFormat {
namespace {

using State = crypto_secretstream_xchacha20poly1305_state;
constexpr qsizetype Extra = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr qsizetype StreamHeaderSize = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr qsizetype DigestSize = 16;
constexpr qsizetype SignatureAndVersion = 8;
constexpr qsizetype ParamsOffset = QltFormat::HeaderSize;                      // 12
constexpr qsizetype SaltOffset = ParamsOffset + 9;                             // 21
constexpr qsizetype StreamHeaderOffset = SaltOffset + KeyDerivation::SaltSize; // 37
constexpr qsizetype KeyCheckOffset = StreamHeaderOffset + StreamHeaderSize;    // 61
constexpr qsizetype DigestOffset = KeyCheckOffset + Extra;                     // 78
constexpr qsizetype FullChunk = ChunkSize + Extra;
static_assert(DigestOffset + DigestSize == PrefixSize);
static_assert(KeyDerivation::KeySize == crypto_secretstream_xchacha20poly1305_KEYBYTES);

const unsigned char* bytesOf(QByteArrayView view)
{
    return reinterpret_cast<const unsigned char*>(view.data());
}

QByteArray digestOf(QByteArrayView covered)
{
    QByteArray digest(DigestSize, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(digest.data()), DigestSize, bytesOf(covered),
                       quint64(covered.size()), nullptr, 0);
    return digest;
}

// Opens the stream and its key check, which binds the header and the key-derivation block to the key.
bool startPull(State& state, QByteArrayView file, const SecretBytes& key)
{
    ensureSodium();
    if (file.size() < PrefixSize || crypto_secretstream_xchacha20poly1305_init_pull(
                                        &state, bytesOf(file.sliced(StreamHeaderOffset)), key.data()) != 0)
        return false;
    unsigned char tag = 0;
    return crypto_secretstream_xchacha20poly1305_pull(&state, nullptr, nullptr, &tag,
                                                      bytesOf(file.sliced(KeyCheckOffset)), Extra,
                                                      bytesOf(file), StreamHeaderOffset) == 0 &&
           tag == crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
}

} // namespace

bool isStrong(QByteArrayView file)
{
    const QByteArray start = QltFormat::header(Version, 0).first(SignatureAndVersion);
    // The padding byte at offset 5 is not significant.
    return file.size() >= SignatureAndVersion && file.first(5) == QByteArrayView(start).first(5) &&
           file.sliced(6, 2) == QByteArrayView(start).sliced(6, 2);
}

std::optional<KeyDerivation::Params> readParams(QByteArrayView file)
{
    ensureSodium();
    if (file.size() < PrefixSize || !isStrong(file) ||
        digestOf(file.first(DigestOffset)) != file.sliced(DigestOffset, DigestSize))
        return std::nullopt;
    KeyDerivation::Params params;
    params.algorithm = quint8(file[ParamsOffset]);
    params.cost.passes = qFromLittleEndian<quint32>(file.data() + ParamsOffset + 1);
    params.cost.memoryKiB = qFromLittleEndian<quint32>(file.data() + ParamsOffset + 5);
    params.salt = file.sliced(SaltOffset, KeyDerivation::SaltSize).toByteArray();
    if (params.algorithm != KeyDerivation::Argon2id || !KeyDerivation::isAccepted(params.cost))
        return std::nullopt;
    return params;
}

bool keyOpens(QByteArrayView file, const SecretBytes& key)
{
    State state;
    const bool opens = startPull(state, file, key);
    sodium_memzero(&state, sizeof state);
    return opens;
}

std::optional<QList<Note>> readNotes(QByteArray file, const SecretBytes& key, QByteArray* buffer)
{
    if (file.size() < PrefixSize)
        return std::nullopt;
    const qsizetype bodySize = file.size() - PrefixSize;
    // Every chunk but the last is full, and the last holds its tag and authenticator at least: a file cut
    // at a chunk boundary or inside a chunk's end is found by its size alone.
    const qsizetype lastSize = bodySize % FullChunk;
    if (lastSize < Extra)
        return std::nullopt;
    const qsizetype chunks = bodySize / FullChunk + 1;
    State state;
    bool ok = startPull(state, file, key);
    // Each chunk is decrypted into a piece that stays in the processor's cache, then moved down over its
    // own ciphertext, which it no longer needs: the record stream ends up where the file was, as one block
    // without a second copy of the file.
    QByteArray piece(ChunkSize, Qt::Uninitialized);
    auto* const data = reinterpret_cast<unsigned char*>(file.data()) + PrefixSize;
    for (qsizetype i = 0; ok && i < chunks; ++i) {
        const bool last = i + 1 == chunks;
        unsigned long long plainSize = 0;
        unsigned char tag = 0;
        ok = crypto_secretstream_xchacha20poly1305_pull(
                 &state, reinterpret_cast<unsigned char*>(piece.data()), &plainSize, &tag,
                 data + i * FullChunk, quint64(last ? lastSize : FullChunk), nullptr, 0) == 0 &&
             tag == (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                          : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        if (ok)
            std::memcpy(data + i * ChunkSize, piece.constData(), size_t(plainSize));
    }
    sodium_memzero(&state, sizeof state);
    if (!ok)
        return std::nullopt;
    file.resize(PrefixSize + bodySize - chunks * Extra);
    file.remove(0, PrefixSize);
    return QltFormat::readRecords(std::move(file), buffer);
}

bool writeTo(QIODevice& out, const QList<Note>& notes, quint32 reserved, const KeyDerivation::Key& key)
{
    ensureSodium();
    QByteArray prefix = QltFormat::header(Version, reserved);
    prefix.append(char(key.params.algorithm));
    char cost[8];
    qToLittleEndian(key.params.cost.passes, cost);
    qToLittleEndian(key.params.cost.memoryKiB, cost + 4);
    prefix.append(cost, sizeof cost);
    prefix.append(key.params.salt);
    prefix.resize(PrefixSize);
    auto* at = reinterpret_cast<unsigned char*>(prefix.data());
    State state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, at + StreamHeaderOffset, key.key.data());
    crypto_secretstream_xchacha20poly1305_push(&state, at + KeyCheckOffset, nullptr, nullptr, 0, at,
                                               StreamHeaderOffset,
                                               crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    const QByteArray digest = digestOf(QByteArrayView(prefix).first(DigestOffset));
    prefix.replace(DigestOffset, DigestSize, digest);
    bool ok = out.write(prefix) == PrefixSize;
    // Chunks go out four at a time, in writes as large as the classic writer's.
    constexpr qsizetype ChunksPerWrite = 4;
    QByteArray sealed(ChunksPerWrite * FullChunk, Qt::Uninitialized);
    qsizetype filled = 0;
    ok =
        ok && QltFormat::writeRecords(notes, ChunkSize, [&](char* piece, qsizetype size, bool last) {
            auto* to = reinterpret_cast<unsigned char*>(sealed.data()) + filled;
            crypto_secretstream_xchacha20poly1305_push(
                &state, to, nullptr, reinterpret_cast<const unsigned char*>(piece), quint64(size), nullptr, 0,
                last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                     : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
            filled += size + Extra;
            if (!last && filled < sealed.size())
                return true;
            const bool written = out.write(sealed.constData(), filled) == filled;
            filled = 0;
            return written;
        });
    sodium_memzero(&state, sizeof state);
    return ok;
}

QByteArray write(const QList<Note>& notes, quint32 reserved, const KeyDerivation::Key& key)
{
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    writeTo(buffer, notes, reserved, key);
    return file;
}

} // namespace StrongFormat
