// While a library that prints to standard output is loaded, what it prints
// goes nowhere and the host's own lines reach the original standard output,
// in order; afterwards standard output is the original again.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/PlatformStdoutRedirect.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(PlatformStdoutRedirect, LibraryOutputIsDroppedAndTheHostKeepsTheOriginal)
{
    const std::string path = ::testing::TempDir() + "stdout-redirect.txt";
    // The test's own standard output becomes a file for the time of the test.
    std::fflush(stdout);
    const int original = dup(STDOUT_FILENO);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0);
    dup2(file, STDOUT_FILENO);
    close(file);

    std::printf("before\n");
    {
        TStdoutRedirect redirect;
        std::printf("library, buffered\n");
        std::fprintf(redirect.Console(), "host one\n");
        EXPECT_EQ(write(STDOUT_FILENO, "library, unbuffered\n", 20), 20);
        std::fprintf(redirect.Console(), "host two\n");
        std::printf("library, left in the buffer");
    }
    std::printf("after\n");

    std::fflush(stdout);
    dup2(original, STDOUT_FILENO);
    close(original);
    const std::vector<uint8_t> written = ReadFileBytes(path);
    const std::string text(written.begin(), written.end());
    EXPECT_EQ(text, "before\nhost one\nhost two\nafter\n");
    std::remove(path.c_str());
}

TEST(PlatformStdoutRedirect, LibraryOutputGoesToTheTargetWhenOneIsGiven)
{
    const std::string path = ::testing::TempDir() + "stdout-redirect-target.txt";
    const std::string target = ::testing::TempDir() + "stdout-redirect-log.txt";
    std::fflush(stdout);
    const int original = dup(STDOUT_FILENO);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0);
    dup2(file, STDOUT_FILENO);
    close(file);
    std::FILE* log = std::fopen(target.c_str(), "w");
    ASSERT_NE(log, nullptr);
    {
        TStdoutRedirect redirect(log);
        std::printf("library\n");
        std::fprintf(redirect.Console(), "host\n");
    }
    std::fclose(log);
    std::fflush(stdout);
    dup2(original, STDOUT_FILENO);
    close(original);
    const std::vector<uint8_t> console = ReadFileBytes(path);
    const std::vector<uint8_t> logged = ReadFileBytes(target);
    EXPECT_EQ(std::string(console.begin(), console.end()), "host\n");
    EXPECT_EQ(std::string(logged.begin(), logged.end()), "library\n");
    std::remove(path.c_str());
    std::remove(target.c_str());
}

}  // namespace

#endif  // _WIN32
