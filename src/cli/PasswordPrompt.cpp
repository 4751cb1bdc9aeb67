#include "cli/PasswordPrompt.h"

#include "cli/CliOutput.h"

#include <QtGlobal>

#include <csignal>
#include <cstdio>
#include <iterator>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace PasswordPrompt {
namespace {

#ifdef Q_OS_UNIX
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

class EchoOff
{
public:
    EchoOff()
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
    ~EchoOff()
    {
        if (!m_active)
            return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            sigaction(EndingSignals[i], &g_previousActions[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_active = false;
};
#endif

} // namespace

bool isTerminal()
{
#ifdef Q_OS_UNIX
    return isatty(STDIN_FILENO) == 1;
#else
    // Without a way to tell, a person is assumed to be typing.
    return true;
#endif
}

std::optional<QByteArray> readLine()
{
    QByteArray line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        line.append(char(c));
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

std::optional<QByteArray> readHidden(const QString& prompt)
{
    CliOutput::printErr(prompt);
#ifdef Q_OS_UNIX
    std::optional<QByteArray> line;
    {
        EchoOff echoOff;
        line = readLine();
    }
#else
    // No portable way to hide the typing here: the line is read as it is shown.
    const std::optional<QByteArray> line = readLine();
#endif
    if (!line)
        CliOutput::printErr(QStringLiteral("\n"));
    return line;
}

} // namespace PasswordPrompt
