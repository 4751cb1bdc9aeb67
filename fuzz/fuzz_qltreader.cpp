// The notes file reader on arbitrary bytes and keys.
//
// Input: one byte whose low four bits give the length of the password that follows (0 for a file without
// password, enciphered with the built-in key), then the file's bytes.

#include "FuzzCheck.h"

#include "document/QltFormat.h"
#include "shared/Cipher.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto* bytes = reinterpret_cast<const char*>(data);
    const qsizetype total = qsizetype(size);
    const qsizetype passwordLength = std::min<qsizetype>(data[0] & 0x0f, total - 1);
    const QByteArray password(bytes + 1, passwordLength);
    const QByteArrayView file(bytes + 1 + passwordLength, total - 1 - passwordLength);

    const QltFormat::HeaderResult header = QltFormat::readHeader(file);
    if (header.error == QltFormat::Error::None)
        FUZZ_CHECK(header.header.check.size() <= 4);

    // The stream parser gets the rest of the file whatever the header said: it must stand on its own.
    if (file.size() < QltFormat::StreamOffset)
        return 0;
    const QByteArrayView stream = file.sliced(QltFormat::StreamOffset);
    // The test a password must pass: a stream it finds well formed always loads.
    const bool wellFormed =
        QltFormat::judge(stream, QltFormat::streamKey(password)) == QltFormat::Verdict::WellFormed;
    const std::optional<QList<Note>> notes =
        QltFormat::readNotes(stream.toByteArray(), QltFormat::streamKey(password));
    FUZZ_CHECK(!wellFormed || notes);
    if (!notes)
        return 0;

    // Whatever loads saves back and loads again as the same notes.
    const QByteArray written = QltFormat::write(*notes, password, header.header.reserved);
    const QltFormat::HeaderResult again = QltFormat::readHeader(written);
    FUZZ_CHECK(again.error == QltFormat::Error::None);
    FUZZ_CHECK(again.header.reserved == header.header.reserved);
    FUZZ_CHECK(again.header.hasPassword == !password.isEmpty());
    if (!password.isEmpty())
        FUZZ_CHECK(SharedSrc::GetDecryptCheck(again.header.check, password) == SharedSrc::CheckMagic);
    const std::optional<QList<Note>> reloaded =
        QltFormat::readNotes(written.sliced(QltFormat::StreamOffset), QltFormat::streamKey(password));
    FUZZ_CHECK(reloaded && *reloaded == *notes);
    // What this program writes, the right password always opens.
    FUZZ_CHECK(QltFormat::judge(written.sliced(QltFormat::StreamOffset), QltFormat::streamKey(password)) ==
               QltFormat::Verdict::WellFormed);
    return 0;
}
