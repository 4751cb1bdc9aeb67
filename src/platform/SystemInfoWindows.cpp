#include "platform/SystemInfo.h"

#include "platform/WindowsRegistry.h"

namespace SystemInfo {

SystemDescription describe()
{
    SystemDescription description;
    description.productName = WindowsRegistry::readString(
        HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
        QStringLiteral("ProductName"));
    // GetVersionEx answers what the program's manifest claims; the kernel's own call tells the truth.
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    const auto getVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (getVersion && getVersion(&info) == 0) {
        description.version = versionText(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                                          QString::fromWCharArray(info.szCSDVersion));
    } else {
        description.version = versionText(0, 0, 0, QString());
    }
    return description;
}

QString versionText(unsigned major, unsigned minor, unsigned build, const QString& servicePack)
{
    // One arg() call, so that a "%1" in the service-pack text is not taken for a place marker.
    return QStringLiteral("%1.%2 Build %3 %4")
        .arg(QString::number(major), QString::number(minor), QString::number(build), servicePack);
}

} // namespace SystemInfo
