// A time as "m:ss": read back it is the whole seconds of the time, the
// seconds always two digits below 60, however many the minutes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "player/DmfClockText.h"

namespace {

TEST(ClockText, ReadBackItIsTheWholeSecondsOfTheTime)
{
    for (const int32_t ms :
         {0, 999, 1000, 59999, 60000, 61001, 599999, 600000, 3600000 + 5000, std::numeric_limits<int32_t>::max()}) {
        const std::string text = ClockText(ms);
        int minutes = -1;
        int seconds = -1;
        char end = 0;
        ASSERT_EQ(std::sscanf(text.c_str(), "%d:%2d%c", &minutes, &seconds, &end), 2) << text;
        EXPECT_EQ(text.substr(text.size() - 3, 1), ":") << text;
        EXPECT_LT(seconds, 60) << text;
        EXPECT_EQ(static_cast<int64_t>(minutes) * 60 + seconds, ms / 1000) << text;
    }
    EXPECT_EQ(ClockText(-1), ClockText(0));
    EXPECT_EQ(ClockText(std::numeric_limits<int32_t>::min()), "0:00");
}

}  // namespace
