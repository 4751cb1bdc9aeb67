#include "cli/PasswordSource.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/PasswordPrompt.h"
#include "shared/AnsiText.h"

QByteArray PasswordSource::next(const QString& prompt)
{
    std::optional<QByteArray> typed;
    if (m_fromStdin) {
        // A missing line is not taken as an empty password: for passwd that would quietly remove it.
        typed = PasswordPrompt::readLine();
        if (!typed)
            throw CliFailure(CliMessages::passwordLineMissing());
    } else {
        if (!PasswordPrompt::isTerminal())
            throw CliFailure(CliMessages::passwordNeedsTerminal());
        typed = PasswordPrompt::readHidden(prompt);
        if (!typed)
            throw CliFailure(CliMessages::passwordNotEntered());
    }
    return AnsiText::fromUnicode(QString::fromUtf8(*typed));
}
