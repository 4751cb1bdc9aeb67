#include "platform/Autostart.h"

#include "platform/AsciiCase.h"
#include "platform/DesktopEntry.h"
#include "shared/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Autostart {
namespace {

const QString Group = QStringLiteral("Desktop Entry");
const QString MinimizeSwitch = QStringLiteral(" /minimize");

QString execLine(const QString& exe, bool minimized)
{
    QString line = DesktopEntry::execArgument(exe);
    if (minimized)
        line += MinimizeSwitch;
    return line;
}

// Which form of our Exec line `exec` (already unescaped) is; nothing when it names another program.
std::optional<bool> matchExec(const QString& exec, const QString& exe)
{
    // The plain forms, as another tool may have written the path without quotes.
    if (AsciiCase::same(exec, exe + MinimizeSwitch))
        return true;
    if (AsciiCase::same(exec, exe))
        return false;

    const std::optional<QStringList> arguments = DesktopEntry::splitExec(exec);
    if (!arguments || arguments->isEmpty() || !AsciiCase::same(arguments->first(), exe))
        return std::nullopt;
    if (arguments->size() == 1)
        return false;
    if (arguments->size() == 2 && AsciiCase::same(arguments->at(1), MinimizeSwitch.trimmed()))
        return true;
    return std::nullopt;
}

std::optional<bool> readOurs(const QString& exe, bool* skipped)
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray content = file.readAll();
    const std::optional<QString> exec = DesktopEntry::value(content, Group, QStringLiteral("Exec"));
    if (!exec)
        return std::nullopt;
    if (skipped) {
        *skipped = DesktopEntry::value(content, Group, QStringLiteral("Hidden")) == QStringLiteral("true") ||
                   DesktopEntry::value(content, Group, QStringLiteral("X-GNOME-Autostart-enabled")) ==
                       QStringLiteral("false");
    }
    return matchExec(*exec, exe);
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

QString entryPath()
{
    return DesktopEntry::configHome() + QStringLiteral("/autostart/Quillet.desktop");
}

AutostartState read(const QString& exe)
{
    bool skipped = false;
    const std::optional<bool> minimized = readOurs(exe, &skipped);
    if (!minimized || skipped)
        return {};
    return {true, *minimized};
}

bool enable(const QString& exe, bool minimized, QString* error)
{
    const QString path = entryPath();
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return fail(error, QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(dir)));

    const QString content = QStringLiteral("[Desktop Entry]\n"
                                           "Type=Application\n"
                                           "Name=Quillet\n"
                                           "Exec=%1\n"
                                           "TryExec=%2\n"
                                           "Terminal=false\n"
                                           "X-GNOME-Autostart-enabled=true\n")
                                .arg(execLine(exe, minimized), DesktopEntry::escapeString(exe));
    const QByteArray bytes = content.toUtf8();
    SaveFile::Failure failure;
    if (!SaveFile::replace(
            path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, {}, &failure)) {
        return fail(error,
                    QStringLiteral("无法写入 %1: %2").arg(QDir::toNativeSeparators(path), failure.reason));
    }
    return true;
}

bool disableIfOurs(const QString& exe, QString* error)
{
    if (!readOurs(exe, nullptr))
        return true;
    QFile file(entryPath());
    if (!file.remove()) {
        return fail(error, QStringLiteral("无法删除 %1: %2")
                               .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    }
    return true;
}

} // namespace Autostart
