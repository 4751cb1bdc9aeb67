// The strong notes file reader on arbitrary bytes.
//
// Input: the file's bytes. The key is always strongFuzzKey(): the file's own parameters are judged, never
// used to derive, so that an input cannot ask the target for a gigabyte.

#include "FuzzCheck.h"
#include "StrongFuzzKey.h"

#include "document/QltFormat.h"
#include "document/StrongFormat.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView file(reinterpret_cast<const char*>(data), qsizetype(size));
    const KeyDerivation::Key& key = strongFuzzKey();

    const std::optional<KeyDerivation::Params> params = StrongFormat::readParams(file);
    if (params) {
        FUZZ_CHECK(StrongFormat::isStrong(file));
        FUZZ_CHECK(KeyDerivation::isAccepted(params->cost));
        FUZZ_CHECK(params->salt.size() == KeyDerivation::SaltSize);
    }
    // The key check and the chunks stand on their own, whatever the parameters said.
    const bool opens = StrongFormat::keyOpens(file, key.key);
    const std::optional<QList<Note>> notes = StrongFormat::readNotes(file.toByteArray(), key.key);
    FUZZ_CHECK(opens || !notes);
    if (!notes)
        return 0;

    // Whatever loads saves back and loads again as the same notes, with the same Reserved value.
    const quint32 reserved = QltFormat::readHeader(file).header.reserved;
    const QByteArray written = StrongFormat::write(*notes, reserved, key);
    FUZZ_CHECK(StrongFormat::readParams(written) == std::optional(key.params));
    FUZZ_CHECK(StrongFormat::keyOpens(written, key.key));
    FUZZ_CHECK(StrongFormat::readNotes(written, key.key) == notes);
    FUZZ_CHECK(QltFormat::readHeader(written).header.reserved == reserved);
    return 0;
}
