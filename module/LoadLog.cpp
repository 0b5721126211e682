#include "module/LoadLog.h"

#include <cstdio>

#include "module/LoadLogPath.h"
#include "platform/PlatformStateFile.h"
#include "platform/PlatformTime.h"

namespace {

std::FILE* LogConsole = stdout;  // echo target of DebugLog; null for none

std::string HexDigits(uint32_t value, int digits)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<size_t>(i)] = hex[value & 15];
        value >>= 4;
    }
    return text;
}

}  // namespace

void DebugLog(const std::string& Message)
{
    if (LogConsole) {
        std::fwrite(Message.data(), 1, Message.size(), LogConsole);
        std::fputc('\n', LogConsole);
        std::fflush(LogConsole);
    }

    const std::string path = LogFilePath();
    if (path.empty())
        return;
    // Binary mode so that the line end is CR LF on every platform.
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file && PlatformMakeStateFolders(path))
        file = std::fopen(path.c_str(), "ab");
    if (!file)
        return;
    std::string entry = "[";
    entry += PlatformLocalDateTime();
    entry += "] ";
    entry += Message;
    entry += "\r\n";
    std::fwrite(entry.data(), 1, entry.size(), file);
    std::fclose(file);
}

void SetDebugLogConsole(std::FILE* Console)
{
    LogConsole = Console;
}

std::FILE* DebugLogConsole()
{
    return LogConsole;
}

std::string HexVar(int32_t Value)
{
    if (Value < 256)
        return HexDigits(static_cast<uint32_t>(Value), 2);
    if (Value <= 65535)
        return HexDigits(static_cast<uint32_t>(Value), 4);
    return HexDigits(static_cast<uint32_t>(Value), 8);
}

std::string Hex4(uint32_t Value)
{
    return HexDigits(Value, 4);
}

std::string TagText(const uint8_t Tag[4])
{
    return std::string(reinterpret_cast<const char*>(Tag), 4);
}
