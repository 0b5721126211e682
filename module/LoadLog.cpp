#include "module/LoadLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "module/LoadLogPath.h"
#include "platform/PlatformStateFile.h"
#include "platform/PlatformTime.h"

namespace {

std::atomic<std::FILE*> LogConsole{stdout};  // echo target of DebugLog; null for none

// Loads run on several threads at once (the host's playlist, media library and
// converter each load files of their own): each entry is written whole under
// this lock, so that no two entries interleave, on the console or in the file.
std::mutex AppendLock;

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
    std::string entry = "[";
    entry += PlatformLocalDateTime();
    entry += "] ";
    entry += Message;
    entry += "\r\n";
    const std::string path = LogFilePath();

    std::lock_guard<std::mutex> guard(AppendLock);
    if (std::FILE* console = LogConsole.load()) {
        std::fwrite(Message.data(), 1, Message.size(), console);
        std::fputc('\n', console);
        std::fflush(console);
    }
    if (path.empty()) {
        return;
    }
    // Binary mode so that the line end is CR LF on every platform.
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file && PlatformMakeStateFolders(path)) {
        file = std::fopen(path.c_str(), "ab");
    }
    if (!file) {
        return;
    }
    std::fwrite(entry.data(), 1, entry.size(), file);
    std::fclose(file);
}

void SetDebugLogConsole(std::FILE* Console)
{
    LogConsole = Console;
}

std::FILE* DebugLogConsole()
{
    return LogConsole.load();
}

std::string HexVar(int32_t Value)
{
    if (Value < 256) {
        return HexDigits(static_cast<uint32_t>(Value), 2);
    }
    if (Value <= 65535) {
        return HexDigits(static_cast<uint32_t>(Value), 4);
    }
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
