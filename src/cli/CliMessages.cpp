#include "cli/CliMessages.h"

namespace CliMessages {

// The window's message puts a CR between the two parts; on a terminal that is a line break.
QString fileMissing(const QString& path)
{
    return QStringLiteral("文件不存在:\n") + path;
}

QString notQuilletFile()
{
    return QStringLiteral("这不是一个 Quillet 文件。");
}

QString badVersion(int version)
{
    return QStringLiteral("不兼容的文件版本 (") + QString::number(version) + u')';
}

QString damagedFile()
{
    return QStringLiteral("打开文件时发生错误。文件可能已损坏。");
}

QString cannotSave()
{
    return QStringLiteral("保存文件时发生错误。文件可能正在被使用。");
}

QString cannotExport()
{
    return QStringLiteral("无法导出文件。");
}

QString wrongPassword()
{
    return QStringLiteral("密码不正确。");
}

QString wrongOldPassword()
{
    return QStringLiteral("旧密码不正确。");
}

QString passwordsDiffer()
{
    return QStringLiteral("密码不匹配。");
}

QString passwordTooLong()
{
    return QStringLiteral("密码长度不能大于 100 位。");
}

QString noSuchNote(const QString& number)
{
    return QStringLiteral("没有第 ") + number + QStringLiteral(" 条记事本。");
}

QString sameFileExport()
{
    return QStringLiteral("不能把报告导出到记事本文件本身。");
}

QString passwordLineMissing()
{
    return QStringLiteral("标准输入中缺少密码行。");
}

QString passwordNeedsTerminal()
{
    return QStringLiteral("需要输入密码: 请在终端中运行，或使用 --password-stdin。");
}

QString passwordNotEntered()
{
    return QStringLiteral("没有输入密码。");
}

QString passwordPrompt()
{
    return QStringLiteral("密码: ");
}

QString oldPasswordPrompt()
{
    return QStringLiteral("旧密码: ");
}

QString newPasswordPrompt()
{
    return QStringLiteral("新密码: ");
}

QString repeatPasswordPrompt()
{
    return QStringLiteral("再次输入新密码: ");
}

} // namespace CliMessages
