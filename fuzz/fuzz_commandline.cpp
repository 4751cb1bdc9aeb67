// The command lines of both programs: the window's switches ("-minimize", "/debug") and quillet-cli's
// commands and options.
//
// Input: the arguments as UTF-8, separated by NUL bytes.

#include "FuzzCheck.h"

#include "cli/CliArguments.h"
#include "cli/CliErrors.h"
#include "shared/CommandLine.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList arguments;
    for (const QByteArray& part :
         QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0'))
        arguments.append(QString::fromUtf8(part));

    for (const QStringView name : {QStringView(u"minimize"), QStringView(u"debug")}) {
        bool any = false;
        for (const QString& argument : arguments) {
            const bool isSwitch = CommandLine::isSwitch(argument, name);
            if (isSwitch)
                FUZZ_CHECK(argument.size() == name.size() + 1 &&
                           (argument[0] == u'-' || argument[0] == u'/'));
            any = any || isSwitch;
        }
        FUZZ_CHECK(CommandLine::hasSwitch(arguments, name) == any);
    }
    // Any argument can be asked about as a switch name of its own.
    for (const QString& argument : arguments) {
        FUZZ_CHECK(CommandLine::isSwitch(QStringLiteral("-") + argument, argument));
        FUZZ_CHECK(CommandLine::isSwitch(QStringLiteral("/") + argument, argument));
    }

    // A call that is not valid is refused with UsageError; anything else that escapes is a finding.
    try {
        const CliRequest request = parseCliArguments(arguments);
        if (!request.help) {
            FUZZ_CHECK(!request.operands.isEmpty());
            FUZZ_CHECK(request.priority >= 0 && request.priority <= 3);
        }
    } catch (const UsageError&) {
    }
    return 0;
}
