#pragma once

#include <QByteArray>
#include <QString>

// Where the passwords of one run come from: typed on the terminal, or one line each from standard input
// (--password-stdin), in the order the command asks for them.
class PasswordSource
{
public:
    explicit PasswordSource(bool fromStdin) : m_fromStdin(fromStdin) {}

    // The next password in the program's byte encoding. Throws CliFailure when none can be had: input
    // ended, or there is no terminal to ask on.
    QByteArray next(const QString& prompt);

private:
    bool m_fromStdin;
};
