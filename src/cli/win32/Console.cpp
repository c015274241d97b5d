#include "cli/Console.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

void Console::prepare()
{
    // The C runtime opens the standard streams in text mode, which would
    // turn every LF of a source file or program into CR LF and stop reading
    // at a 0x1A byte.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Our texts are UTF-8 (Qt's text streams write it): the console shows
    // them as such instead of in its OEM code page.
    SetConsoleOutputCP(CP_UTF8);
}

bool Console::standardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}
