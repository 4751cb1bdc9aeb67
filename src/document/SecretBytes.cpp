#include "document/SecretBytes.h"

#include <QtGlobal>

#include <sodium.h>

#include <cstring>
#include <new>

void ensureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        qFatal("libsodium cannot be initialised");
}

SecretBytes SecretBytes::ofSize(qsizetype size)
{
    ensureSodium();
    SecretBytes secret;
    if (size == 0)
        return secret;
    auto* bytes = static_cast<unsigned char*>(sodium_malloc(size_t(size)));
    if (!bytes)
        throw std::bad_alloc();
    const size_t length = size_t(size);
    // Wiped before the guarded pages are given back, whichever copy goes last.
    secret.m_bytes = std::shared_ptr<unsigned char>(bytes, [length](unsigned char* p) {
        sodium_memzero(p, length);
        sodium_free(p);
    });
    secret.m_size = size;
    return secret;
}

SecretBytes::SecretBytes(QByteArrayView bytes) : SecretBytes(ofSize(bytes.size()))
{
    if (!bytes.isEmpty())
        std::memcpy(data(), bytes.data(), size_t(bytes.size()));
}

bool SecretBytes::operator==(QByteArrayView other) const
{
    if (other.size() != m_size)
        return false;
    return m_size == 0 || sodium_memcmp(data(), other.data(), size_t(m_size)) == 0;
}

bool SecretBytes::operator==(const SecretBytes& other) const
{
    return *this == other.view();
}
