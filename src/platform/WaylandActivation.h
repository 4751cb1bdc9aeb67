#pragma once

#include <QByteArray>

class QWindow;

// Wayland's way for a program to let the compositor focus a window of another process it starts: a
// token asked for on behalf of the window the user is working in, handed to the new process in
// XDG_ACTIVATION_TOKEN.
namespace WaylandActivation {

// A new token on behalf of `window`, or empty: not on Wayland, a compositor without the activation
// protocol, a window not shown, or a build without Wayland support.
QByteArray requestToken(QWindow* window);

} // namespace WaylandActivation
