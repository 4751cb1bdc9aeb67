#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Asking for a password on the terminal.
namespace PasswordPrompt {

// True when standard input is a terminal a person can type into.
bool isTerminal();

// Writes `prompt` to standard error and reads one line from standard input without echoing it. The line
// comes back as typed (terminal encoding), without its line break; nothing when input ended first.
std::optional<QByteArray> readHidden(const QString& prompt);

// One line of standard input without its LF or CR LF; nothing when input ends before any byte of it.
std::optional<QByteArray> readLine();

} // namespace PasswordPrompt
