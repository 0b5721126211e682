// The diagnostic log: number formatting and the log file.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "module/LoadLog.h"

TEST(LogFormat, HexVarWidthFollowsTheValue)
{
    EXPECT_EQ(HexVar(5), "05");
    EXPECT_EQ(HexVar(255), "FF");
    EXPECT_EQ(HexVar(-1), "FF");
    EXPECT_EQ(HexVar(-2147483647 - 1), "00");
    EXPECT_EQ(HexVar(256), "0100");
    EXPECT_EQ(HexVar(65535), "FFFF");
    EXPECT_EQ(HexVar(65536), "00010000");
    EXPECT_EQ(HexVar(2147483647), "7FFFFFFF");
}

TEST(LogFormat, Hex4AndTags)
{
    EXPECT_EQ(Hex4(70000), "1170");
    EXPECT_EQ(Hex4(0), "0000");
    EXPECT_EQ(Hex4(0xABCDEF12u), "EF12");
    const uint8_t tag[4] = {'P', 'A', 'T', 'T'};
    EXPECT_EQ(TagText(tag), "PATT");
    const uint8_t odd[4] = {0, 'a', 0xFF, ' '};
    EXPECT_EQ(TagText(odd), std::string("\0a\xFF ", 4));
}

TEST(LogFile, CreatedByTheFirstEntryAndAppendedToAfter)
{
    std::remove(LogFileName);
    SetDebugLogConsole(nullptr);
    DebugLog("first entry");
    DebugLog("Reading Block, type: ENDE");
    SetDebugLogConsole(stdout);

    std::ifstream file(LogFileName, std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    const size_t firstEnd = log.find("] first entry\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(log[0], '[');
    const std::string second = log.substr(firstEnd + 15);
    EXPECT_EQ(second.front(), '[');
    EXPECT_NE(second.find("] Reading Block, type: ENDE\r\n"), std::string::npos);
    EXPECT_EQ(second.size(), second.find("\r\n") + 2);  // exactly two lines
}
