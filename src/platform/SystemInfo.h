#pragma once

#include "shared/ErrorLog.h"

#include <QString>

// What the error log says about the system: its product name and version.
namespace SystemInfo {
SystemDescription describe();
#ifdef Q_OS_WIN
// "%d.%d Build %d %s" from the system's version numbers and its service-pack text.
QString versionText(unsigned major, unsigned minor, unsigned build, const QString& servicePack);
#else
// "%d.%d Build %d %s" from a kernel release such as "6.1.0-18-amd64" -> "6.1 Build 0 18-amd64".
QString versionText(const QString& kernelRelease);
#endif
} // namespace SystemInfo
