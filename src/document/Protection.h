#pragma once

#include "document/KeyDerivation.h"
#include "document/SecretBytes.h"

#include <optional>

// How a document's file is kept from others: no password; the classic check value and cipher, which
// older versions read; or the strong format, with the key derived from the password kept here, so that a
// save encrypts without deriving it again.
struct Protection
{
    enum class Kind
    {
        None,
        Classic,
        Strong,
    };

    SecretBytes password;                  // empty: no password
    std::optional<KeyDerivation::Key> key; // for a strong file

    Kind kind() const
    {
        if (password.isEmpty())
            return Kind::None;
        return key ? Kind::Strong : Kind::Classic;
    }
};
