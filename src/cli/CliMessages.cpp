#include "cli/CliMessages.h"

namespace CliMessages {

QString noSuchNote(const QString& number)
{
    return QStringLiteral("没有第 ") + number + QStringLiteral(" 条记事本。");
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

QString forceHint()
{
    return QStringLiteral("没有写入。要仍然写入, 请使用 --force; 该窗口以后保存时会先询问。");
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
