#include "cli/terminal.h"

#include <QtGlobal>

#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace terminal {

#ifdef Q_OS_WIN

namespace {

UINT outputCodePage = 0;

void restoreCodePage()
{
    if (outputCodePage)
        SetConsoleOutputCP(outputCodePage);
}

bool virtualTerminal()
{
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(err, &mode) && ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
                                          SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING));
}

} // namespace

bool isTerminal()
{
    static const bool yes = virtualTerminal();
    return yes;
}

Size size()
{
    Size size;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
        if (columns > 1 && rows > 2)
            size = {columns, rows};
    }
    return size;
}

void prepare()
{
    DWORD mode = 0;
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
    if (!console || outputCodePage)
        return;
    outputCodePage = GetConsoleOutputCP();
    if (SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreCodePage);
    else
        outputCodePage = 0;
}

#else

bool isTerminal()
{
    static const bool yes = isatty(STDERR_FILENO) == 1;
    return yes;
}

Size size()
{
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && size.ws_row > 2)
        return {size.ws_col, size.ws_row};
    return Size();
}

void prepare() {}

#endif

} // namespace terminal
