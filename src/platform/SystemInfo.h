#pragma once

#include "shared/ErrorLog.h"

#include <QString>

// What the error log says about the system: the distribution's name and the kernel version.
namespace SystemInfo {
SystemDescription describe();
// "%d.%d Build %d %s" from a kernel release such as "6.1.0-18-amd64" -> "6.1 Build 0 18-amd64".
QString versionText(const QString& kernelRelease);
} // namespace SystemInfo
