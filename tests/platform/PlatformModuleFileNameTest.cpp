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

}  // namespace
