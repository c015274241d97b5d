#include "cli/Console.h"

#include <unistd.h>

void Console::prepare()
{
    // POSIX streams never translate bytes, and terminals take UTF-8.
}

bool Console::standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}
