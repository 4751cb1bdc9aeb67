#pragma once

#include "document/KeyDerivation.h"

// The one key of the strong reader's target and its seeds: derived at the lowest cost from a fixed
// password and salt, so that the seeds open and their mutations reach every check after the key.
inline const KeyDerivation::Key& strongFuzzKey()
{
    static const KeyDerivation::Key key =
        KeyDerivation::derive(SecretBytes(QByteArrayView("fuzz")),
                              KeyDerivation::Params{KeyDerivation::Argon2id, KeyDerivation::Lowest,
                                                    QByteArray(KeyDerivation::SaltSize, 's')})
            .value();
    return key;
}
