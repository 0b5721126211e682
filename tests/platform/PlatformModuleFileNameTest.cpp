#include <gtest/gtest.h>

#include <filesystem>

#include "platform/PlatformSystem.h"

namespace {

// The plug-in finds its font beside the file it was loaded from.
TEST(PlatformModuleFileName, NamesTheFileThisCodeWasLoadedFrom)
{
    const std::string path = PlatformModuleFileName();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    EXPECT_NE(std::filesystem::path(path).filename().string().find("test_platform"), std::string::npos) << path;
}

// The host's program, beside which an older Winamp keeps its settings file:
// here the test program, which has the code linked in.
TEST(PlatformModuleFileName, TheProgramsPathNamesTheRunningProgram)
{
    const std::string path = PlatformProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::equivalent(path, PlatformModuleFileName())) << path;
}

}  // namespace
