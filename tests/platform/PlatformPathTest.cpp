// Paths taken apart: the file name and the folder part at this system's
// delimiters or at a Windows path's on any system, narrow and wide, and a wide
// character is never taken for a delimiter by its low byte.

#include <gtest/gtest.h>

#include <string>

#include "platform/PlatformPath.h"

namespace {

TEST(PlatformPath, APathSplitsAtItsLastDelimiterIntoFolderAndName)
{
    for (const char* path : {"/music/old/b.dmf", "music/b.dmf", "b.dmf", "/b.dmf", "music/", "/"}) {
        const std::string folder = PlatformFolderPart(path);
        const std::string name = PlatformFileName(path);
        EXPECT_EQ(folder + name, std::string(path));
        EXPECT_EQ(name.find('/'), std::string::npos) << path;
        EXPECT_TRUE(folder.empty() || folder.back() == '/') << path;
    }
    EXPECT_EQ(PlatformFileName("/music/old/b.dmf"), "b.dmf");
    EXPECT_EQ(PlatformFolderPart("/music/old/b.dmf"), "/music/old/");
    EXPECT_EQ(PlatformFolderPart("b.dmf"), "");
    EXPECT_EQ(PlatformFileName("music/"), "");
}

TEST(PlatformPath, AWindowsPathSplitsAtEitherSlashOrADriveOnEverySystem)
{
    EXPECT_EQ(PlatformFileName("C:\\Music\\song.dmf", WindowsFolderDelimiters), "song.dmf");
    EXPECT_EQ(PlatformFileName("C:song.dmf", WindowsFolderDelimiters), "song.dmf");
    EXPECT_EQ(PlatformFileName("a\\b/c.dmf", WindowsFolderDelimiters), "c.dmf");
    EXPECT_EQ(PlatformFolderPart("C:\\Music\\song.dmf", WindowsFolderDelimiters), "C:\\Music\\");
    // This system's own: a backslash is a folder's end only where Windows is.
    const bool windows = PlatformFolderDelimiters == WindowsFolderDelimiters;
    EXPECT_EQ(PlatformFileName("music\\b.dmf"), windows ? "b.dmf" : "music\\b.dmf");
    EXPECT_EQ(PlatformFileName("C:b.dmf"), windows ? "b.dmf" : "C:b.dmf");
}

TEST(PlatformPath, WideNamesSplitAtTheSameDelimitersAndNoOthers)
{
    const std::wstring path = L"C:\\M\u00FCsik\\\u00D8.dmf";
    EXPECT_EQ(FileNameStart(std::wstring_view(path), WindowsFolderDelimiters), path.rfind(L'\\') + 1);
    // Characters whose low byte is a slash, a backslash or a colon.
    const std::wstring lookalikes = L"a\u012F\u015C\u013Ab";
    EXPECT_EQ(FileNameStart(std::wstring_view(lookalikes), WindowsFolderDelimiters), 0u);
    EXPECT_EQ(FileNameStart(std::wstring_view(L"dir/\u012F"), WindowsFolderDelimiters), 4u);
}

}  // namespace
