#include "plugin/SoundSettingsFile.h"

#include <cstdint>
#include <cstring>

#include "platform/PlatformPath.h"
#include "platform/PlatformSystem.h"
#include "plugin/sdk/WinampPluginRecords.h"

namespace {

// An answer below this is no address (no system maps the lowest 64 KiB): a
// host that answers the question with a number of its own.
constexpr uintptr_t LowestAddress = 0x10000;
// The longest path a host's answer is read to.
constexpr size_t MaxPathLength = 32767;

}  // namespace

std::string HostSettingsFile(HWND MainWindow)
{
    const intptr_t answer = PlatformSendMessage(MainWindow, WM_WA_IPC, 0, IPC_GETINIFILE);
    if (static_cast<uintptr_t>(answer) >= LowestAddress) {
        const char* path = reinterpret_cast<const char*>(answer);
        const size_t length = strnlen(path, MaxPathLength + 1);
        if (length > 0 && length <= MaxPathLength) {
            return std::string(path, length);
        }
    }
    const std::string program = PlatformProgramPath();
    return program.empty() ? std::string() : PlatformFolderPart(program) + HostSettingsFileName;
}
