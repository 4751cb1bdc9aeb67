#include "platform/SystemInfo.h"

#include <QSysInfo>
#include <QVersionNumber>

namespace SystemInfo {

SystemDescription describe()
{
    SystemDescription description;
    // Qt knows the product only from os-release (PRETTY_NAME); without one it says "unknown".
    if (QSysInfo::productType() != u"unknown")
        description.productName = QSysInfo::prettyProductName();
    // On Unix this is uname()'s release; elsewhere the system's own version number.
    description.version = versionText(QSysInfo::kernelVersion());
    return description;
}

QString versionText(const QString& kernelRelease)
{
    qsizetype suffixAt = 0;
    const QVersionNumber version = QVersionNumber::fromString(kernelRelease, &suffixAt);
    // Numbers after the third stay in the rest, as written.
    if (version.segmentCount() > 3) {
        suffixAt = -1;
        for (int dots = 0; dots < 3; ++dots)
            suffixAt = kernelRelease.indexOf(u'.', suffixAt + 1);
        ++suffixAt;
    }
    QStringView suffix = QStringView(kernelRelease).mid(suffixAt);
    // The separator between the numbers and the rest ("-" in "6.1.0-18-amd64") is not part of the rest.
    if (suffixAt > 0 && !suffix.isEmpty() && !suffix.front().isLetterOrNumber())
        suffix = suffix.mid(1);
    // One arg() call, so that a "%1" in the suffix is not taken for a place marker.
    return QStringLiteral("%1.%2 Build %3 %4")
        .arg(QString::number(version.majorVersion()), QString::number(version.minorVersion()),
             QString::number(version.microVersion()), suffix.toString());
}

} // namespace SystemInfo
