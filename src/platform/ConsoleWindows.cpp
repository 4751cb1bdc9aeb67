#include "platform/Console.h"

#include <QString>

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace Console {
namespace {

constexpr UINT Utf8CodePage = 65001;

bool isConsole(DWORD handle, DWORD* mode)
{
    return GetConsoleMode(GetStdHandle(handle), mode) != 0;
}

} // namespace

void keepBytesAsTheyAre()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool isTerminal()
{
    DWORD mode = 0;
    return isConsole(STD_INPUT_HANDLE, &mode);
}

QByteArray inputEncoding()
{
    DWORD mode = 0;
    const UINT codePage = isConsole(STD_INPUT_HANDLE, &mode) ? GetConsoleCP() : GetACP();
    if (codePage == Utf8CodePage)
        return "UTF-8";
    return "windows-" + QByteArray::number(codePage);
}

QByteArray forOutput(QByteArrayView utf8)
{
    DWORD mode = 0;
    // A console shows its own code page; a file or pipe gets the ANSI code page, as text files do.
    const UINT codePage = isConsole(STD_OUTPUT_HANDLE, &mode) ? GetConsoleOutputCP() : GetACP();
    if (codePage == Utf8CodePage || utf8.isEmpty())
        return utf8.toByteArray();
    const QString text = QString::fromUtf8(utf8);
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = WideCharToMultiByte(codePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray out(size, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

HiddenInput::HiddenInput()
{
    DWORD mode = 0;
    if (!isConsole(STD_INPUT_HANDLE, &mode))
        return;
    m_active = SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), mode & ~DWORD(ENABLE_ECHO_INPUT)) != 0;
}

HiddenInput::~HiddenInput()
{
    DWORD mode = 0;
    if (m_active && isConsole(STD_INPUT_HANDLE, &mode))
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), mode | ENABLE_ECHO_INPUT);
}

} // namespace Console
