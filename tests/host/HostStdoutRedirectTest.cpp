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

#include "host/play/HostStdoutRedirect.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(HostStdoutRedirect, LibraryOutputIsDroppedAndTheHostKeepsTheOriginal)
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

}  // namespace

#endif  // _WIN32
