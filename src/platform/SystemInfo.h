#pragma once

#include "shared/ErrorLog.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What the error log says about the system: PRETTY_NAME of os-release and the kernel version.
namespace SystemInfo {
SystemDescription describe();
// PRETTY_NAME of the first of these os-release files that has one; nothing when none has.
std::optional<QString> productName(const QStringList& osReleaseFiles);
// "%d.%d Build %d %s" from a kernel release such as "6.1.0-18-amd64" -> "6.1 Build 0 18-amd64".
QString versionText(const QString& kernelRelease);
// PRETTY_NAME of an os-release file's text, unquoted; nothing when it has none.
std::optional<QString> prettyName(const QByteArray& osRelease);
} // namespace SystemInfo
