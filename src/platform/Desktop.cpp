#include "platform/Desktop.h"

#include "platform/WaylandActivation.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>
#include <QWindow>

#ifdef QUILLET_QPA_NATIVE
#include <QScreen>
#include <qpa/qplatformnativeinterface.h>
#endif

namespace Desktop {

bool startDetached(const QString& program, const QStringList& arguments, const QStringList& environment,
                   QWindow* from)
{
    const QFileInfo info(program);
    // QProcess would also search PATH for a bare name; the program only ever starts a file it names.
    if (!info.isFile() || !info.isExecutable())
        return false;
    // What the desktop gave this process to focus its window at start is spent on that window; the new
    // process must not present it again as if the desktop had just started it.
    QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    inherited.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    inherited.remove(QStringLiteral("DESKTOP_STARTUP_ID"));
    if (const QByteArray token = WaylandActivation::requestToken(from); !token.isEmpty())
        inherited.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString::fromUtf8(token));
    for (const QString& entry : environment)
        inherited.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    QProcess process;
    process.setProgram(info.absoluteFilePath());
    process.setArguments(arguments);
    process.setProcessEnvironment(inherited);
    return process.startDetached();
}

bool openDocument(const QString& path, const std::function<void()>& viewerFailed)
{
    // The desktop's opener reports success as soon as it has started, even for a missing file, so
    // a missing file is caught here.
    if (!QFileInfo(path).isFile())
        return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // xdg-open tells by its exit status whether a viewer took the file (3: none for its type), which
    // QDesktopServices drops. Left running when the window closes: it may be the viewer by now.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({path});
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, viewerFailed](int exitCode, QProcess::ExitStatus status) {
                         if ((exitCode != 0 || status != QProcess::NormalExit) && viewerFailed)
                             viewerFailed();
                         opener->deleteLater();
                     });
    opener->start();
    if (opener->waitForStarted())
        return true;
    delete opener;
    return false;
#else
    Q_UNUSED(viewerFailed);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

bool openFolder(const QString& path)
{
    if (!QFileInfo(path).isDir())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool placesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A desktop session names itself; a compositor or window manager started on its own (weston, openbox
// from a terminal) does not, and has no task bar to restore a window from.
bool restoresMinimizedWindows()
{
    return !qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP");
}

QByteArray activationTokenFor(QWindow* window)
{
    return WaylandActivation::requestToken(window);
}

// Qt presents a Wayland token in XDG_ACTIVATION_TOKEN with the window's next activation, then forgets
// it. An X window manager instead weighs the time of the request against the user's last input, which
// was in the other process: the request carries the server's time of now.
void bringToFront(QWindow* window, const QByteArray& activationToken)
{
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken);
#ifdef QUILLET_QPA_NATIVE
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        QScreen* screen = window->screen();
        using SetTime = void (*)(QScreen*, quint32);
        // Qt hands out every such function under one type; the generic type in between says so.
        const auto setTime = reinterpret_cast<SetTime>(
            reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setapptime")));
        const auto now = quint32(quintptr(native->nativeResourceForScreen("gettimestamp", screen)));
        if (setTime && now)
            setTime(screen, now);
    }
#endif
    window->raise();
    window->requestActivate();
}

} // namespace Desktop
