#include "cli/CliOutput.h"

#include <cstdio>

namespace CliOutput {
namespace {

bool writeTo(std::FILE* stream, const QByteArray& bytes)
{
    const size_t size = size_t(bytes.size());
    const bool written = size == 0 || std::fwrite(bytes.constData(), 1, size, stream) == size;
    return std::fflush(stream) == 0 && written;
}

} // namespace

void printOut(const QString& text)
{
    writeTo(stdout, text.toUtf8());
}

void printErr(const QString& text)
{
    writeTo(stderr, text.toUtf8());
}

bool writeOutBytes(const QByteArray& bytes)
{
    return writeTo(stdout, bytes);
}

} // namespace CliOutput
