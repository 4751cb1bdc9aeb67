#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QUrl;
class QWindow;

// What the program asks of the desktop: start a program, show a document or a folder.
namespace Desktop {

// Starts `program` as a new, independent process, with this process's environment and the "NAME=value"
// entries of `environment` on top. False when it could not be started. Started on behalf of the window
// `from`, the new process may take the focus from it where the desktop asks for proof of that (Wayland's
// activation token).
bool startDetached(const QString& program, const QStringList& arguments = {},
                   const QStringList& environment = {}, QWindow* from = nullptr);

// Opens a document with the desktop's viewer for its type. False when the file does not exist or no
// viewer could be started for it. Where the opener only later tells that nothing could show the file,
// `viewerFailed` is called then.
bool openDocument(const QString& path, const std::function<void()>& viewerFailed = {});

// Shows a folder in the desktop's file browser. False when the folder does not exist or nothing opens it.
bool openFolder(const QString& path);

// Opens a web address, a mail link or a local file with the desktop's program for it.
bool openUrl(const QUrl& url);

// Whether a window may choose its place on the screen. Not on Wayland, where the compositor places every
// window (a dialog over the window that owns it).
bool placesWindows();

// Whether the desktop can bring back a minimised window: a task bar, a dock or a window switcher. A bare
// compositor or window manager has none, and a minimised window would be lost there for good.
bool restoresMinimizedWindows();

// What lets another process of the user's take the focus on behalf of `window` (Wayland's activation
// token); empty where nothing is needed or none can be had.
QByteArray activationTokenFor(QWindow* window);

// Brings `window` to the front and gives it the focus, on the strength of `activationToken` that another
// process handed over (activationTokenFor), where the desktop asks for one.
void bringToFront(QWindow* window, const QByteArray& activationToken);

} // namespace Desktop
