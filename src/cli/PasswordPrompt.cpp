#include "cli/PasswordPrompt.h"

#include "cli/CliOutput.h"
#include "platform/Console.h"

#include <cstdio>

namespace PasswordPrompt {

bool isTerminal()
{
    return Console::isTerminal();
}

std::optional<QByteArray> readLine()
{
    QByteArray line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        line.append(char(c));
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

std::optional<QByteArray> readHidden(const QString& prompt)
{
    CliOutput::printErr(prompt);
    std::optional<QByteArray> line;
    {
        const Console::HiddenInput hidden;
        line = readLine();
    }
    if (!line)
        CliOutput::printErr(QStringLiteral("\n"));
    return line;
}

} // namespace PasswordPrompt
