// While a library that prints to standard output is loaded, what it prints
// goes nowhere (or to the stream named for it) and the host's own lines reach
// the original standard output, in order; afterwards standard output is the
// original again.

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

// The test's own standard output is a file while it lives.
class TStdoutToFile {
public:
    explicit TStdoutToFile(const std::string& Name) : Path(::testing::TempDir() + Name)
    {
        std::fflush(stdout);
        Original = dup(STDOUT_FILENO);
        const int file = open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(file, 0);
        dup2(file, STDOUT_FILENO);
        close(file);
    }
    ~TStdoutToFile() { std::remove(Path.c_str()); }
    // Puts the original back and returns what the file got.
    std::string Text()
    {
        std::fflush(stdout);
        dup2(Original, STDOUT_FILENO);
        close(Original);
        const std::vector<uint8_t> written = ReadFileBytes(Path);
        return std::string(written.begin(), written.end());
    }

private:
    std::string Path;
    int Original = -1;
};

TEST(PlatformStdoutRedirect, LibraryOutputIsDroppedAndTheHostKeepsTheOriginal)
{
    TStdoutToFile stdoutFile("stdout-redirect.txt");
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
    EXPECT_EQ(stdoutFile.Text(), "before\nhost one\nhost two\nafter\n");
}

TEST(PlatformStdoutRedirect, LibraryOutputGoesToTheTargetWhenOneIsGiven)
{
    TStdoutToFile stdoutFile("stdout-redirect-console.txt");
    const std::string target = ::testing::TempDir() + "stdout-redirect-log.txt";
    std::FILE* log = std::fopen(target.c_str(), "w");
    ASSERT_NE(log, nullptr);
    {
        TStdoutRedirect redirect(log);
        std::printf("library\n");
        std::fprintf(redirect.Console(), "host\n");
    }
    std::fclose(log);
    EXPECT_EQ(stdoutFile.Text(), "host\n");
    const std::vector<uint8_t> logged = ReadFileBytes(target);
    EXPECT_EQ(std::string(logged.begin(), logged.end()), "library\n");
    std::remove(target.c_str());
}

}  // namespace

#endif  // _WIN32
