// A stream that goes to a file is no terminal and has no width.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/PlatformTerminal.h"

namespace {

TEST(PlatformTerminal, AFileIsNoTerminalAndHasNoWidth)
{
    const std::string path = ::testing::TempDir() + "platform-terminal.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(PlatformIsTerminal(file));
    EXPECT_EQ(PlatformTerminalColumns(file), 0);
    std::fclose(file);
    std::remove(path.c_str());
}

}  // namespace
