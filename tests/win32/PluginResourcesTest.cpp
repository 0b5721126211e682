// morvel.dll's resources as Windows reads them: the version record shown in
// the file's properties and the song information window's icon.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/PluginResources.h"

namespace {

std::string VersionString(const std::vector<char>& Info, const char* Name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + Name;
    if (!VerQueryValueA(Info.data(), path.c_str(), &value, &length) || !value) {
        return "(missing)";
    }
    return std::string(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
}

TEST(PluginResources, VersionRecordNamesThePlugInAndItsFile)
{
    const char* dll = MORVEL_PLUGIN_DLL;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll, &ignored);
    ASSERT_GT(size, 0u) << dll;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll, 0, size, info.data()));

    EXPECT_EQ(VersionString(info, "FileDescription"), "Morvel - solvane dmf player 0.7.5");
    EXPECT_EQ(VersionString(info, "ProductName"), "Morvel - solvane dmf player 0.7.5");
    EXPECT_EQ(VersionString(info, "FileVersion"), "0.7.5");
    EXPECT_EQ(VersionString(info, "OriginalFilename"), "morvel.dll");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(7, 0));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 5));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST(PluginResources, IconLoadsAtBothSizesFromTheDll)
{
    // As data only: DllMain does not run.
    HMODULE dll = LoadLibraryExA(MORVEL_PLUGIN_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(dll);
    for (int size : {16, 32}) {
        HANDLE icon = LoadImageA(dll, MAKEINTRESOURCEA(MORVEL_SONG_INFO_ICON), IMAGE_ICON, size, size, 0);
        EXPECT_TRUE(icon) << size;
        if (icon) {
            DestroyIcon(static_cast<HICON>(icon));
        }
    }
    FreeLibrary(dll);
}

}  // namespace
