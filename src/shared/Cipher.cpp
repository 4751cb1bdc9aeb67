#include "shared/Cipher.h"

#include "shared/DebugLog.h"

#include <algorithm>

namespace SharedSrc {
namespace {

// The key repeated into a block a few KiB long, so that the inner loop runs over two flat arrays
// the compiler can vectorise instead of wrapping a key index per byte.
QByteArray keyPattern(const QByteArray& key)
{
    constexpr qsizetype MinBlock = 8192;
    const qsizetype repeats = (MinBlock + key.size() - 1) / key.size();
    return workingKey(key).repeated(repeats);
}

} // namespace

QByteArray workingKey(const QByteArray& key)
{
    QByteArray working(key);
    for (qsizetype i = 0; i < working.size(); ++i)
        working[i] = char(quint8(working[i]) + quint8(i + 1));
    return working;
}

XORCipher::XORCipher(const QByteArray& key)
{
    if (!key.isEmpty())
        m_pattern = keyPattern(key);
}

XORCipher XORCipher::forStream(const QByteArray& key)
{
    DebugLog("SharedSrc.CryptStream");
    DebugLog("SharedSrc.XORCrypt");
    return XORCipher(key);
}

void XORCipher::applyInPlace(char* data, qsizetype size)
{
    const qsizetype block = m_pattern.size();
    if (block == 0 || size <= 0)
        return;
    const auto* pat = reinterpret_cast<const unsigned char*>(m_pattern.constData());
    auto* out = reinterpret_cast<unsigned char*>(data);
    qsizetype done = 0;
    while (done < size) {
        const qsizetype len = std::min(block - m_position, size - done);
        unsigned char* chunk = out + done;
        const unsigned char* keyBytes = pat + m_position;
        for (qsizetype i = 0; i < len; ++i)
            chunk[i] ^= keyBytes[i];
        done += len;
        m_position = (m_position + len) % block;
    }
}

void XORCryptInPlace(char* data, qsizetype size, const QByteArray& key)
{
    XORCipher(key).applyInPlace(data, size);
}

QByteArray XORCrypt(const QByteArray& str, const QByteArray& key)
{
    DebugLog("SharedSrc.XORCrypt");
    if (key.isEmpty())
        return {};
    QByteArray result(str);
    XORCryptInPlace(result.data(), result.size(), key);
    return result;
}

void CryptStream(QByteArray& stream, const QByteArray& key)
{
    DebugLog("SharedSrc.CryptStream");
    // The stream's XORCrypt, done in place.
    DebugLog("SharedSrc.XORCrypt");
    if (key.isEmpty())
        stream.clear();
    else
        XORCryptInPlace(stream.data(), stream.size(), key);
}

QByteArray CreateDecryptCheck(const QByteArray& password)
{
    DebugLog("SharedSrc.CreateDecryptCheck");
    const QByteArray enciphered = XORCrypt(QByteArray(CheckMagic), password);
    return XORCrypt(enciphered, QByteArray::number(password.size()));
}

QByteArray GetDecryptCheck(const QByteArray& check, const QByteArray& password)
{
    DebugLog("SharedSrc.GetDecryptCheck");
    const QByteArray partly = XORCrypt(check, QByteArray::number(password.size()));
    return XORCrypt(partly, password);
}

} // namespace SharedSrc
