#pragma once

#include "document/SecretBytes.h"

#include <QByteArray>

#include <optional>

// The key of a strongly protected file, derived from its password with Argon2id (libsodium's
// crypto_pwhash). The cost is stored in the file, so that later versions can raise it.
namespace KeyDerivation {

inline constexpr quint8 Argon2id = 2; // crypto_pwhash_ALG_ARGON2ID13
inline constexpr qsizetype SaltSize = 16;
inline constexpr qsizetype KeySize = 32;
// What a reader accepts: beyond it, a file is damaged rather than a reason to take all memory or hours.
inline constexpr quint32 MaxMemoryKiB = 1024 * 1024; // 1 GiB
inline constexpr quint32 MinMemoryKiB = 8;
inline constexpr quint32 MaxPasses = 32;

struct Cost
{
    quint32 passes = 0;    // crypto_pwhash's opslimit
    quint32 memoryKiB = 0; // crypto_pwhash's memlimit, in KiB
    bool operator==(const Cost&) const = default;
};

// About half a second on a 2-core machine of 2026.
inline constexpr Cost Tuned{3, 128 * 1024};
// The cheapest a reader accepts; for tests.
inline constexpr Cost Lowest{1, MinMemoryKiB};

bool isAccepted(const Cost& cost);

struct Params
{
    quint8 algorithm = Argon2id;
    Cost cost;
    QByteArray salt;
    bool operator==(const Params&) const = default;
};

// Parameters with a new random salt.
Params fresh(const Cost& cost);

// A derived key together with what it was derived with.
struct Key
{
    Params params;
    SecretBytes key;
};

// Nothing when the parameters are not accepted or the memory cannot be had.
std::optional<Key> derive(const SecretBytes& password, const Params& params);

} // namespace KeyDerivation
