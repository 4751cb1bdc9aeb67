#include "platform/FileAssociation.h"

#include "platform/WindowsRegistry.h"

#include <shlobj.h>

namespace FileAssociation {
namespace {

bool failed(LSTATUS code, QString* error)
{
    if (code == ERROR_SUCCESS)
        return false;
    if (error)
        *error = QStringLiteral("创建文件关联错误:\r\n%1 - %2")
                     .arg(QString::number(code), WindowsRegistry::messageFor(code));
    return true;
}

} // namespace

QString classesKey()
{
    return QStringLiteral("Software\\Classes");
}

bool registerFileType(const QString& exe, QString* error)
{
    const QString nativeExe = QString(exe).replace(QLatin1Char('/'), QLatin1Char('\\'));
    const std::pair<QString, QString> keys[] = {
        {QStringLiteral(".qlt"), QStringLiteral("QuilletFile")},
        {QStringLiteral("QuilletFile"), QStringLiteral("Quillet File")},
        {QStringLiteral("QuilletFile\\DefaultIcon"), nativeExe + QStringLiteral(",0")},
        {QStringLiteral("QuilletFile\\shell\\open\\command"),
         QLatin1Char('"') + nativeExe + QStringLiteral("\" \"%1\"")},
    };
    for (const auto& [subKey, value] : keys) {
        const QString key = classesKey() + QLatin1Char('\\') + subKey;
        if (failed(WindowsRegistry::writeString(HKEY_CURRENT_USER, key, QString(), value, true), error))
            return false;
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

} // namespace FileAssociation
