#pragma once

#include "shared/QuilletError.h"

// A failure the user is told about in the program's own words; the process ends with status 2.
class CliFailure : public QuilletError
{
public:
    using QuilletError::QuilletError;
};

// Arguments that do not make a valid call; the usage text follows and the process ends with status 1.
class UsageError : public QuilletError
{
public:
    using QuilletError::QuilletError;
};

namespace CliExit {
inline constexpr int Ok = 0;
inline constexpr int Usage = 1;
inline constexpr int Failure = 2;
} // namespace CliExit
