#include <io.h>
#include <windows.h>

#include "platform/PlatformTerminal.h"

bool PlatformIsTerminal(std::FILE* Stream)
{
    return _isatty(_fileno(Stream)) != 0;
}

int PlatformTerminalColumns(std::FILE* Stream)
{
    CONSOLE_SCREEN_BUFFER_INFO console{};
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(Stream)));
    if (!PlatformIsTerminal(Stream) || !GetConsoleScreenBufferInfo(handle, &console)) {
        return 0;
    }
    return console.srWindow.Right - console.srWindow.Left + 1;
}

bool PlatformInputIsTerminal()
{
    return _isatty(_fileno(stdin)) != 0;
}

std::FILE* PlatformOpenTerminal()
{
    return std::fopen("CONOUT$", "w");
}
