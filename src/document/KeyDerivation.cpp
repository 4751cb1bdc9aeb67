#include "document/KeyDerivation.h"

#include <sodium.h>

namespace KeyDerivation {

static_assert(Argon2id == crypto_pwhash_ALG_ARGON2ID13);
static_assert(SaltSize == crypto_pwhash_SALTBYTES);
static_assert(MinMemoryKiB * 1024 == crypto_pwhash_argon2id_MEMLIMIT_MIN);

bool isAccepted(const Cost& cost)
{
    return cost.passes >= crypto_pwhash_argon2id_OPSLIMIT_MIN && cost.passes <= MaxPasses &&
           cost.memoryKiB >= MinMemoryKiB && cost.memoryKiB <= MaxMemoryKiB;
}

Params fresh(const Cost& cost)
{
    ensureSodium();
    Params params;
    params.cost = cost;
    params.salt.resize(SaltSize);
    randombytes_buf(params.salt.data(), size_t(SaltSize));
    return params;
}

std::optional<Key> derive(const SecretBytes& password, const Params& params)
{
    if (params.algorithm != Argon2id || params.salt.size() != SaltSize || !isAccepted(params.cost))
        return std::nullopt;
    Key result{params, SecretBytes::ofSize(KeySize)};
    if (crypto_pwhash(result.key.data(), KeySize, reinterpret_cast<const char*>(password.data()),
                      quint64(password.size()),
                      reinterpret_cast<const unsigned char*>(params.salt.constData()), params.cost.passes,
                      size_t(params.cost.memoryKiB) * 1024, params.algorithm) != 0)
        return std::nullopt;
    return result;
}

} // namespace KeyDerivation
