#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/CliOutput.h"
#include "platform/Console.h"
#include "shared/Version.h"

#include <QCoreApplication>

#include <exception>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillet-cli"));
    Console::keepBytesAsTheyAre();
    try {
        const CliRequest request = parseCliArguments(QCoreApplication::arguments().mid(1));
        if (request.help) {
            CliOutput::printOut(cliUsageText());
            return CliExit::Ok;
        }
        if (request.version) {
            CliOutput::printOut(QStringLiteral("quillet-cli (Quillet) ") +
                                QLatin1String(Quillet::ProgramVersion) + u'\n');
            return CliExit::Ok;
        }
        CliCommands::run(request);
        return CliExit::Ok;
    } catch (const UsageError& error) {
        CliOutput::printErr(QStringLiteral("quillet-cli: ") + error.message() + QStringLiteral("\n\n") +
                            cliUsageText());
        return CliExit::Usage;
    } catch (const CliFailure& error) {
        CliOutput::printErr(error.message() + u'\n');
        return CliExit::Failure;
    } catch (const std::exception& error) {
        CliOutput::printErr(QStringLiteral("quillet-cli: ") + QString::fromUtf8(error.what()) + u'\n');
        return CliExit::Failure;
    }
}
