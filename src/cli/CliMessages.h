#pragma once

#include <QString>

// The texts quillet-cli prints. The ones shared with the window read exactly as the window shows them.
namespace CliMessages {

QString fileMissing(const QString& path);
QString notQuilletFile();
QString badVersion(int version);
QString damagedFile();
QString cannotSave();
QString cannotExport();
QString wrongPassword();
QString wrongOldPassword();
QString passwordsDiffer();
QString passwordTooLong();
QString noSuchNote(const QString& number);
QString sameFileExport();
QString passwordLineMissing();
QString passwordNeedsTerminal();
QString passwordNotEntered();

QString passwordPrompt();
QString oldPasswordPrompt();
QString newPasswordPrompt();
QString repeatPasswordPrompt();

} // namespace CliMessages
