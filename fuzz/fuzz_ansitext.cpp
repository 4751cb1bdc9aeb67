// The conversion between the program's GB18030 byte strings and Unicode, both ways, on any input.

#include "FuzzCheck.h"

#include "shared/AnsiText.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Bytes as a file holds them: any sequence, valid or not.
    const QString decoded = AnsiText::toUnicode(bytes);
    // Every character that decoding produces (U+FFFD included) has a GB18030 form that decodes back to it.
    FUZZ_CHECK(AnsiText::toUnicode(AnsiText::fromUnicode(decoded)) == decoded);

    // The same bytes as UTF-16 units, as a widget may hand them over: lone surrogates included.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size / 2 * sizeof(char16_t));
    const QByteArray encoded = AnsiText::fromUnicode(units);
    AnsiText::toUnicode(encoded);
    return 0;
}
