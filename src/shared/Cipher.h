#pragma once

#include <QByteArray>

// The notes file's XOR cipher and its password check value. Applying the cipher twice with the same
// key gives back the input. It keeps casual eyes off the notes; it is not strong encryption.
namespace SharedSrc {

inline constexpr char DefaultKey[] = "864klmrst5";
inline constexpr char CheckMagic[] = "qzhw";

// The key as the cipher applies it: byte i of the key (counting from 1) becomes (byte + i) mod 256.
QByteArray workingKey(const QByteArray& key);

// Each byte is XORed with the working key's byte at its position; the key position runs on across the
// whole input and wraps after the last key byte. An empty key gives an empty result.
QByteArray XORCrypt(const QByteArray& str, const QByteArray& key);

// The same cipher over a buffer in place, for large streams. An empty key leaves the data as it is.
void XORCryptInPlace(char* data, qsizetype size, const QByteArray& key);

// The cipher over a stream that arrives in pieces: each call goes on at the key position where the
// previous one stopped, so enciphering the pieces in turn equals enciphering them joined.
class XORCipher
{
public:
    explicit XORCipher(const QByteArray& key);
    // The cipher of a whole record stream written in pieces: traced once, as the stream's CryptStream.
    static XORCipher forStream(const QByteArray& key);
    void applyInPlace(char* data, qsizetype size);

private:
    QByteArray m_pattern; // the working key repeated, a whole number of times
    qsizetype m_position = 0;
};

// Replaces the stream by its XORCrypt, in place, so that a large stream is not copied.
void CryptStream(QByteArray& stream, const QByteArray& key);

// The 4-byte value stored in a protected file: "qzhw" enciphered with the password, then with the
// decimal text of the password's length in bytes.
QByteArray CreateDecryptCheck(const QByteArray& password);

// Undoes CreateDecryptCheck: gives "qzhw" for the password the check was made from.
QByteArray GetDecryptCheck(const QByteArray& check, const QByteArray& password);

} // namespace SharedSrc
