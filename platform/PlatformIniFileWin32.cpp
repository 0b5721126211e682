// A settings file through Windows' own profile functions.

#include <windows.h>

#include "platform/PlatformIniFile.h"

namespace {

bool Readable(const std::string& Path)
{
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    const HANDLE file = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

}  // namespace

bool PlatformReadIniEntries(const std::string& Path, const std::string& Section, const std::vector<std::string>& Keys,
                            std::vector<TIniEntry>& Found)
{
    Found.clear();
    if (Path.empty() || !Readable(Path)) {
        return false;
    }
    for (const std::string& key : Keys) {
        // Longer values are cut here; none of a settings file's is that long.
        char value[512] = {};
        const DWORD length =
            GetPrivateProfileStringA(Section.c_str(), key.c_str(), "", value, sizeof value, Path.c_str());
        if (length > 0) {
            Found.push_back({key, std::string(value, length)});
        }
    }
    return true;
}

bool PlatformWriteIniEntries(const std::string& Path, const std::string& Section, const std::vector<TIniEntry>& Entries)
{
    if (Path.empty() || !PlatformIniCarries(Section, Entries)) {
        return false;
    }
    bool written = true;
    for (const TIniEntry& entry : Entries) {
        written = WritePrivateProfileStringA(Section.c_str(), entry.Key.c_str(), entry.Value.c_str(), Path.c_str()) &&
                  written;
    }
    // Whatever the system held back for the file goes into it now.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path.c_str());
    return written;
}
