#include "document/DocumentMessages.h"

#include "document/NotesModel.h"

namespace DocumentMessages {

QString openFailure(const NotesDocument::OpenResult& result, const QString& path)
{
    using Status = NotesDocument::OpenStatus;
    switch (result.status) {
    case Status::Missing:
        return fileMissing(path);
    case Status::BadSignature:
        return QStringLiteral("这不是一个 Quillet 文件。");
    case Status::BadVersion:
        return QStringLiteral("不兼容的文件版本 (") + QString::number(result.version) + QLatin1Char(')');
    case Status::Damaged:
        return damagedFile(result.reason);
    case Status::WrongPassword:
        return wrongPassword();
    case Status::WrongPasswordOrDamaged:
        return wrongPasswordOrDamaged();
    case Status::Busy:
        return QStringLiteral("另一个 quillet-cli 正在更改该文件。请稍后再试。");
    case Status::Opened:
    case Status::Cancelled:
    case Status::LockedByOther:
        break;
    }
    return QString();
}

QString fileMissing(const QString& path)
{
    return QStringLiteral("文件不存在:") + QLatin1Char('\r') + path;
}

namespace {

// The program's message stays as it is; the system's reason, when there is one, follows on a line of its
// own, since "in use" or "damaged" alone may send the user the wrong way.
QString withReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

} // namespace

QString damagedFile(const QString& reason)
{
    return withReason(QStringLiteral("打开文件时发生错误。文件可能已损坏。"), reason);
}

QString cannotSave(const QString& reason)
{
    return withReason(QStringLiteral("保存文件时发生错误。文件可能正在被使用。"), reason);
}

QString openInWindow(const FileLock::Holder& holder)
{
    QString where = QStringLiteral("进程 ") + QString::number(holder.pid);
    if (!holder.host.isEmpty())
        where += QStringLiteral(", ") + holder.host;
    return QStringLiteral("该文件已在一个 Quillet 窗口中打开 (") + where + QStringLiteral(")。");
}

QString changedOnDisk(const QString& path)
{
    return QStringLiteral("文件在打开或上次保存之后已被其他程序更改:") + QLatin1Char('\n') + path;
}

QString otherVersionKept(const QString& keptAs)
{
    return QStringLiteral("保存时另一个程序也更改了该文件。笔记已保存, 另一个版本已另存为:") +
           QLatin1Char('\n') + keptAs;
}

QString cannotExport()
{
    return QStringLiteral("无法导出文件。");
}

QString exportOverNotesFile()
{
    return QStringLiteral("不能把报告导出到记事本文件本身。");
}

QString wrongPassword()
{
    return QStringLiteral("密码不正确。");
}

QString wrongPasswordOrDamaged()
{
    return QStringLiteral("密码不正确或文件已损坏。");
}

QString passwordRefused(NotesDocument::PasswordChange change)
{
    using Change = NotesDocument::PasswordChange;
    switch (change) {
    case Change::WrongOldPassword:
        return QStringLiteral("旧密码不正确。");
    case Change::Mismatch:
        return QStringLiteral("密码不匹配。");
    case Change::TooLong:
        return QStringLiteral("密码长度不能大于 ") + QString::number(NotesDocument::MaxPasswordLength) +
               QStringLiteral(" 位。");
    case Change::NoMemory:
        return QStringLiteral("内存不足, 无法生成密钥。");
    case Change::Changed:
        break;
    }
    return QString();
}

QString totalText(const NoteCounts& counts)
{
    return QStringLiteral("总计: %1").arg(counts.total);
}

QString doneText(const NoteCounts& counts)
{
    return QStringLiteral("完成: %1").arg(counts.done);
}

QString notDoneText(const NoteCounts& counts)
{
    return QStringLiteral("未完成: %1").arg(counts.notDone);
}

} // namespace DocumentMessages
