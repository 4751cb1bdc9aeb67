// A whole quillet-cli command run in-process on a fuzzed notes file: the first byte picks the command, the
// rest is laid out as for the reader's target (the password's length, the password, then the file). The
// password comes on standard input, three times, as --password-stdin reads it; what the command prints
// goes to /dev/null. A command may fail with the program's message, never otherwise, and a file it has
// changed must open again.

#include "FuzzCheck.h"
#include "ScratchFile.h"

#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliErrors.h"

#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Command
{
    QStringList arguments; // FILE is inserted after the first
    bool changesFile;
};

const Command Commands[] = {
    {{"list"}, false},
    {{"list", "--json"}, false},
    {{"show", "1"}, false},
    {{"export"}, false},
    {{"done", "1"}, true},
    {{"rm", "1"}, true},
    {{"add", "新的记事本", "--priority", "2"}, true},
    {{"passwd"}, true},
};

// Standard output goes to /dev/null while a command runs, and comes back afterwards.
class Silenced
{
public:
    Silenced() : m_saved(::dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~Silenced()
    {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    Silenced(const Silenced&) = delete;
    Silenced& operator=(const Silenced&) = delete;

private:
    int m_saved;
};

// Runs quillet-cli with `arguments`, `input` on standard input; false when it failed with a message.
bool runCli(const QStringList& arguments, const ScratchFile& input)
{
    FUZZ_CHECK(std::freopen(input.path().toLocal8Bit().constData(), "r", stdin));
    const Silenced silenced;
    try {
        CliCommands::run(parseCliArguments(arguments));
        return true;
    } catch (const CliFailure&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ScratchFile notes("cli.qlt");
    static const ScratchFile passwords("cli-passwords");
    if (size < 2)
        return 0;
    const Command& command = Commands[data[0] % std::size(Commands)];
    const size_t passwordSize = std::min(size_t(data[1]), size - 2);
    const QByteArray password =
        QByteArray(reinterpret_cast<const char*>(data + 2), qsizetype(passwordSize)) + '\n';
    const QByteArray lines = password.repeated(3);
    passwords.write(reinterpret_cast<const uint8_t*>(lines.constData()), size_t(lines.size()));
    notes.write(data + 2 + passwordSize, size - 2 - passwordSize);

    QStringList arguments = command.arguments;
    arguments.insert(1, notes.path());
    arguments.append(QStringLiteral("--password-stdin"));
    if (runCli(arguments, passwords) && command.changesFile)
        FUZZ_CHECK(
            runCli({QStringLiteral("list"), notes.path(), QStringLiteral("--password-stdin")}, passwords));
    return 0;
}
