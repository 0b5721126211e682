// Files by name: a new file is made only where nothing has its name, never
// through a link; a folder is no file.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/PlatformFile.h"

namespace {

namespace fs = std::filesystem;

TEST(PlatformFile, ANewFileIsMadeOnlyWhereNothingHasItsName)
{
    const fs::path folder = fs::path(::testing::TempDir()) / "platform-file";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "new.bin").string();
    EXPECT_FALSE(PlatformIsFile(path));
    EXPECT_FALSE(PlatformIsFile(folder.string()));
    EXPECT_FALSE(PlatformIsFile(""));

    std::FILE* file = PlatformCreateNewFile(path);
    ASSERT_NE(file, nullptr);
    // Bytes go out as they are, a newline too.
    EXPECT_EQ(std::fwrite("a\nb", 1, 3, file), 3u);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_TRUE(PlatformIsFile(path));
    EXPECT_EQ(fs::file_size(path), 3u);

    errno = 0;
    EXPECT_EQ(PlatformCreateNewFile(path), nullptr);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(fs::file_size(path), 3u);
    errno = 0;
    EXPECT_EQ(PlatformCreateNewFile(folder.string()), nullptr);
    EXPECT_EQ(errno, EEXIST);

    // A link, even to nothing, is not followed.
    std::error_code error;
    fs::create_symlink(folder / "elsewhere.bin", folder / "link.bin", error);
    if (!error) {
        errno = 0;
        EXPECT_EQ(PlatformCreateNewFile((folder / "link.bin").string()), nullptr);
        EXPECT_EQ(errno, EEXIST);
        EXPECT_FALSE(fs::exists(folder / "elsewhere.bin"));
    }
    fs::remove_all(folder);
}

}  // namespace
