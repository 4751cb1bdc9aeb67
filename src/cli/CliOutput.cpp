#include "cli/CliOutput.h"

#include "platform/Console.h"

#include <QFile>

#include <cstdio>

namespace CliOutput {
namespace {

bool writeTo(std::FILE* stream, QByteArrayView bytes)
{
    const size_t size = size_t(bytes.size());
    const bool written = size == 0 || std::fwrite(bytes.constData(), 1, size, stream) == size;
    return std::fflush(stream) == 0 && written;
}

} // namespace

void printOut(const QString& text)
{
    writeTo(stdout, Console::forOutput(text.toUtf8()));
}

void printErr(const QString& text)
{
    writeTo(stderr, Console::forOutput(text.toUtf8()));
}

bool writeOutText(QByteArrayView utf8)
{
    return writeTo(stdout, Console::forOutput(utf8));
}

bool writeOutBytes(QByteArrayView bytes)
{
    return writeTo(stdout, bytes);
}

} // namespace CliOutput

bool CliOutput::writeOut(const std::function<bool(QIODevice&)>& writeContent)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return false;
    const bool written = writeContent(out);
    return out.flush() && written;
}
