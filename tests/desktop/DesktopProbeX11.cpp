#include "DesktopProbe.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace DesktopProbe {
namespace {

QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

QStringList windowsOf(qint64 process, const QString& title)
{
    return xdotool(
               {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(process), u"--name"_s, title})
        .split(u'\n', Qt::SkipEmptyParts);
}

QString activeWindow()
{
    return xdotool({u"getactivewindow"_s});
}

QString activeWindowTitle()
{
    return xdotool({u"getactivewindow"_s, u"getwindowname"_s});
}

void minimize(const QString& window)
{
    xdotool({u"windowminimize"_s, u"--sync"_s, window});
}

void pressEscape()
{
    xdotool({u"key"_s, u"--clearmodifiers"_s, u"Escape"_s});
}

} // namespace DesktopProbe
