#pragma once

#include <QString>

// The texts only quillet-cli prints; those it shares with the window are DocumentMessages.
namespace CliMessages {

QString noSuchNote(const QString& number);
QString passwordLineMissing();
QString passwordNeedsTerminal();
QString passwordNotEntered();
QString forceHint();

QString passwordPrompt();
QString oldPasswordPrompt();
QString newPasswordPrompt();
QString repeatPasswordPrompt();

} // namespace CliMessages
