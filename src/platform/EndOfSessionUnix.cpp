#include "platform/EndOfSession.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A handler may do next to nothing safely: it writes a byte that the event loop then reads.
int signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[1], &byte, 1);
    errno = saved;
}

constexpr int EndingSignals[] = {SIGTERM, SIGHUP};

} // namespace

EndOfSession::EndOfSession(QObject* parent) : QObject(parent)
{
    connect(qApp, &QGuiApplication::commitDataRequest, this, &EndOfSession::sessionEnding);
    // Non-blocking both ways: a burst of signals never blocks the handler, and reading stops when empty.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        while (::read(signalSockets[0], bytes, sizeof bytes) > 0) {
        }
        Q_EMIT endRequested();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : EndingSignals)
        ::sigaction(number, &action, nullptr);
}

EndOfSession::~EndOfSession()
{
    if (signalSockets[0] < 0)
        return;
    for (const int number : EndingSignals)
        ::signal(number, SIG_DFL);
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}
