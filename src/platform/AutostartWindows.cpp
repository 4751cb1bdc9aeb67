#include "platform/Autostart.h"

#include "platform/AsciiCase.h"
#include "platform/WindowsRegistry.h"

namespace Autostart {
namespace {

const QString RunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString ValueName = QStringLiteral("Quillet");
const QString MinimizeSwitch = QStringLiteral(" /minimize");

bool fail(QString* error, const QString& action, LSTATUS code)
{
    if (error)
        *error = QStringLiteral("%1 %2\\%3: %4 - %5")
                     .arg(action, entryPath(), ValueName, QString::number(code),
                          WindowsRegistry::messageFor(code));
    return false;
}

} // namespace

QString entryPath()
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + RunKey;
}

AutostartState read(const QString& exe)
{
    const QString value =
        WindowsRegistry::readString(HKEY_CURRENT_USER, RunKey, ValueName).value_or(QString());
    if (AsciiCase::same(value, exe + MinimizeSwitch))
        return {true, true};
    if (AsciiCase::same(value, exe))
        return {true, false};
    return {};
}

bool enable(const QString& exe, bool minimized, QString* error)
{
    // The Run key belongs to the system: where it is missing, starting with Windows is not offered.
    const LSTATUS code = WindowsRegistry::writeString(HKEY_CURRENT_USER, RunKey, ValueName,
                                                      minimized ? exe + MinimizeSwitch : exe, false);
    return code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND ||
           fail(error, QStringLiteral("无法写入"), code);
}

bool disableIfOurs(const QString& exe, QString* error)
{
    if (!read(exe).enabled)
        return true;
    const LSTATUS code = WindowsRegistry::deleteValue(HKEY_CURRENT_USER, RunKey, ValueName);
    return code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND ||
           fail(error, QStringLiteral("无法删除"), code);
}

} // namespace Autostart
