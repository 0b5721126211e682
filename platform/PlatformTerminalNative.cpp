#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/PlatformTerminal.h"

bool PlatformIsTerminal(std::FILE* Stream)
{
    return isatty(fileno(Stream)) != 0;
}

int PlatformTerminalColumns(std::FILE* Stream)
{
    winsize size = {};
    return ioctl(fileno(Stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool PlatformInputIsTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}

std::FILE* PlatformOpenTerminal()
{
    // Not handed on to the programs this one starts.
    return std::fopen("/dev/tty", "we");
}
