#include <gtest/gtest.h>

#include "platform/PlatformCodePath.h"

TEST(PlatformCodePath, AProcessTakesTheNamedPathOrTheWidestItHasBelowIt)
{
    TCodePath widest = TCodePath::Plain;
    for (const TCodePath path : CodePaths) {
        if (CodePathAvailable(path)) {
            widest = path;
        }
        const TCodePath taken = CodePathFor(CodePathName(path));
        EXPECT_TRUE(CodePathAvailable(taken));
        EXPECT_EQ(taken, widest) << CodePathName(path);
    }
    EXPECT_TRUE(CodePathAvailable(TCodePath::Plain));
    EXPECT_EQ(CodePathFor(nullptr), widest);
    EXPECT_EQ(CodePathFor("fastest"), widest);
    EXPECT_EQ(CodePathFor(""), widest);
}
