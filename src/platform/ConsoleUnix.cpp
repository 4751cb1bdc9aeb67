#include "platform/Console.h"

#include "shared/SystemLocale.h"

#include <QStringEncoder>

#include <csignal>
#include <iterator>

#include <termios.h>
#include <unistd.h>

namespace Console {
namespace {

// Echo is off while the user types; a signal that ends the program meanwhile must not leave the terminal
// silent, so the handlers put the saved settings back before the signal takes its normal course.
termios g_savedTerminal;
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previousActions[std::size(EndingSignals)];

void restoreAndRaise(int signal)
{
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void keepBytesAsTheyAre() {}

bool isTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

QByteArray inputEncoding()
{
    return SystemLocale::textEncoding();
}

QByteArray forOutput(QByteArrayView utf8)
{
    static const QByteArray encoding = SystemLocale::textEncoding();
    if (encoding == "UTF-8")
        return QByteArray::fromRawData(utf8.data(), utf8.size());
    return QStringEncoder(encoding.constData()).encode(QString::fromUtf8(utf8));
}

HiddenInput::HiddenInput()
{
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0)
        return;
    m_active = true;
    struct sigaction action = {};
    action.sa_handler = restoreAndRaise;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(EndingSignals); ++i)
        sigaction(EndingSignals[i], &action, &g_previousActions[i]);
    termios silent = g_savedTerminal;
    silent.c_lflag &= ~tcflag_t(ECHO);
    silent.c_lflag |= ECHONL; // the Enter key still moves to the next line
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
}

HiddenInput::~HiddenInput()
{
    if (!m_active)
        return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    for (size_t i = 0; i < std::size(EndingSignals); ++i)
        sigaction(EndingSignals[i], &g_previousActions[i], nullptr);
}

} // namespace Console
