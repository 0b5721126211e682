// What every window test of this program shares, set up before the first
// window exists and undone after the last one:
// - the song's font, when the build made it, so that windows show its face
//   (a font realised before its file is registered stays a substitute);
// - under wine, this program's windows unmanaged by the X server's window
//   manager: on a bare X server (Xvfb) none runs, so wine then draws the
//   frames itself (the screenshot shows the caption) and does not wait for
//   a window manager's answer each time a window is shown or hidden.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/WindowTestEnvironment.h"

namespace {

bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Wine's settings for this program alone, read when its display driver loads.
std::string WineProgramSettingsKey()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    name = name.substr(name.find_last_of("\\/") + 1);
    return "Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver";
}

void DeleteKeyIfEmpty(const std::string& Key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
        return;
    }
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(handle);
    if (subkeys == 0 && values == 0) {
        RegDeleteKeyA(HKEY_CURRENT_USER, Key.c_str());
    }
}

class TWindowTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (GetFileAttributesA(MORVEL_SONG_FONT) != INVALID_FILE_ATTRIBUTES) {
            FontRegistered = AddFontResourceA(MORVEL_SONG_FONT) != 0;
            EXPECT_TRUE(FontRegistered) << "the song's font file is not accepted: " << MORVEL_SONG_FONT;
        }
        if (RunsUnderWine() &&
            RegCreateKeyExA(HKEY_CURRENT_USER, WineProgramSettingsKey().c_str(), 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &Settings, nullptr) == ERROR_SUCCESS) {
            // A setting made by someone else is left as it is.
            if (RegQueryValueExA(Settings, "Managed", nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) {
                SetManaged = RegSetValueExA(Settings, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2) ==
                             ERROR_SUCCESS;
            }
        }
    }

    void TearDown() override
    {
        if (Settings) {
            if (SetManaged) {
                RegDeleteValueA(Settings, "Managed");
            }
            RegCloseKey(Settings);
            const std::string key = WineProgramSettingsKey();
            DeleteKeyIfEmpty(key);
            DeleteKeyIfEmpty(key.substr(0, key.find_last_of('\\')));
        }
        if (FontRegistered) {
            RemoveFontResourceA(MORVEL_SONG_FONT);
        }
    }

    static bool FontRegistered;

private:
    HKEY Settings = nullptr;
    bool SetManaged = false;
};

bool TWindowTestEnvironment::FontRegistered = false;

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TWindowTestEnvironment);

}  // namespace

bool SongFontRegistered()
{
    return TWindowTestEnvironment::FontRegistered;
}

bool WindowsCanBeMade()
{
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe) {
        DestroyWindow(probe);
    }
    return probe != nullptr;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
