#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace Desktop {

bool startDetached(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    const QFileInfo info(program);
    // QProcess would also search PATH for a bare name; the program only ever starts a file it names.
    if (!info.isFile() || !info.isExecutable())
        return false;
    QProcess process;
    process.setProgram(info.absoluteFilePath());
    process.setArguments(arguments);
    if (!environment.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment() + environment);
    return process.startDetached();
}

bool openDocument(const QString& path)
{
    // The desktop's opener reports success as soon as it has started, even for a missing file, so
    // a missing file is caught here.
    if (!QFileInfo(path).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool openFolder(const QString& path)
{
    if (!QFileInfo(path).isDir())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Desktop
