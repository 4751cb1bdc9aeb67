#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// Bytes in libsodium's guarded memory (sodium_malloc): fenced by guard pages, kept out of swap where the
// system allows, and wiped when the last copy goes. Copies share the bytes, so a document and its undo
// history hold one key, not several.
class SecretBytes
{
public:
    SecretBytes() = default;
    explicit SecretBytes(QByteArrayView bytes);
    // `size` bytes to be filled in, by a key derivation for instance.
    static SecretBytes ofSize(qsizetype size);

    unsigned char* data() { return m_bytes.get(); }
    const unsigned char* data() const { return m_bytes.get(); }
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QByteArrayView view() const { return {reinterpret_cast<const char*>(data()), m_size}; }
    // A copy in ordinary memory, for those who must have one (a classic cipher key, a password box).
    QByteArray toByteArray() const { return view().toByteArray(); }

    // In constant time for bytes of equal length.
    bool operator==(const SecretBytes& other) const;
    bool operator==(QByteArrayView other) const;

private:
    std::shared_ptr<unsigned char> m_bytes;
    qsizetype m_size = 0;
};

// libsodium is initialised once, before its first use; every user of it calls this first.
void ensureSodium();
