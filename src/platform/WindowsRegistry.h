#pragma once

#include <QString>

#include <optional>

#include <windows.h>

// The few registry calls the program makes, with Qt strings. Codes are the system's (0 is success).
namespace WindowsRegistry {

// The string value `name` (empty: the key's default value) of `root`\`subKey`, opened without being
// created. `opened` tells whether the key could be opened; the result is empty when it could not, or the
// value is missing or not a string.
std::optional<QString> readString(HKEY root, const QString& subKey, const QString& name,
                                  bool* opened = nullptr);

// Sets the string value `name` of `root`\`subKey`; the key is created when `create` is set, else it must
// exist.
LSTATUS writeString(HKEY root, const QString& subKey, const QString& name, const QString& value, bool create);

LSTATUS deleteValue(HKEY root, const QString& subKey, const QString& name);

// The system's text for a code, without the line break it ends with.
QString messageFor(LSTATUS code);

} // namespace WindowsRegistry
