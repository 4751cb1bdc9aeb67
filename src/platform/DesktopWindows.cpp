#include "platform/Desktop.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QWindow>

#include <windows.h>

#include <shellapi.h>

namespace Desktop {
namespace {

// The shell's verb on `target`; its result above 32 means something was started for it.
bool shellExecute(const wchar_t* verb, const QString& target)
{
    const HINSTANCE result = ShellExecuteW(nullptr, verb, reinterpret_cast<const wchar_t*>(target.utf16()),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

QString native(const QString& path)
{
    return QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

bool startDetached(const QString& program, const QStringList& arguments, const QStringList& environment,
                   QWindow* from)
{
    Q_UNUSED(from); // Windows lets a process that the foreground window starts take the focus.
    if (!QFileInfo(program).isFile())
        return false;
    QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        inherited.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    QProcess process;
    process.setProgram(QFileInfo(program).absoluteFilePath());
    process.setArguments(arguments);
    process.setProcessEnvironment(inherited);
    return process.startDetached();
}

bool openDocument(const QString& path, const std::function<void()>& viewerFailed)
{
    // The shell reports a viewer that cannot start at once: nothing is left to fail later.
    Q_UNUSED(viewerFailed);
    return QFileInfo(path).isFile() && shellExecute(L"open", native(path));
}

bool openFolder(const QString& path)
{
    return QFileInfo(path).isDir() && shellExecute(L"explore", native(path));
}

bool openUrl(const QUrl& url)
{
    return shellExecute(L"open",
                        url.isLocalFile() ? native(url.toLocalFile()) : url.toString(QUrl::FullyEncoded));
}

bool placesWindows()
{
    return true;
}

// The task bar.
bool restoresMinimizedWindows()
{
    return true;
}

QByteArray activationTokenFor(QWindow* window)
{
    Q_UNUSED(window);
    return {};
}

void bringToFront(QWindow* window, const QByteArray& activationToken)
{
    Q_UNUSED(activationToken);
    window->raise();
    window->requestActivate();
}

} // namespace Desktop
