#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The terminal (console) the command-line program talks to.
namespace Console {

// Standard input, output and error pass bytes as they are: on Windows a line feed would otherwise become
// CR LF, and a note's own CR LF CR CR LF.
void keepBytesAsTheyAre();

// Whether standard input is a terminal a person types at.
bool isTerminal();

// The encoding of what is typed at the terminal, by a name QStringDecoder knows: the locale's on
// Unix (its plain ASCII counted as UTF-8), the console's input code page on Windows.
QByteArray inputEncoding();

// `utf8` as the terminal shows text: unchanged where that is UTF-8 (then sharing the bytes of `utf8`, so
// use it before they go); on Windows in the console's output code page or, redirected, the ANSI code
// page (characters it lacks become "?").
QByteArray forOutput(QByteArrayView utf8);

// While one exists, what is typed at the terminal is not shown.
class HiddenInput
{
public:
    HiddenInput();
    ~HiddenInput();
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    bool m_active = false;
};

} // namespace Console
