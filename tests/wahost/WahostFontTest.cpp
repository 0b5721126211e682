// The song font "Quorlith vuravi  " from vuravi__.fon beside the DLL: there
// for the process from Init until Quit, and every top-level window told of
// both changes before the call returns.

#include <filesystem>

#include "tests/wahost/FontProbe.h"
#include "tests/wahost/WahostFixture.h"

namespace {

using TWahostFont = TWahostUnloadedTest;

TEST_F(TWahostFont, RegisteredAtInitAndRemovedAtQuitWithOneBroadcastEach)
{
    ASSERT_NO_FATAL_FAILURE(Load());
    const bool built = std::filesystem::exists(std::filesystem::path(Options().Plugin).parent_path() / "vuravi__.fon");
    EXPECT_FALSE(FontFaceListed(SongFontFace)) << "the face is there before Init";

    const int changes = MainWindow().FontChanges();
    Init();
    // The broadcast reaches the host's own top-level window before Init returns.
    if (MainWindow().TopLevel()) {
        EXPECT_EQ(MainWindow().FontChanges(), changes + 1);
    }
    if (built) {
        EXPECT_TRUE(FontFaceListed(SongFontFace)) << "Init did not register the font";
        EXPECT_EQ(FaceGivenFor(SongFontFace, -13), SongFontFace);
    }

    Quit();
    if (MainWindow().TopLevel()) {
        EXPECT_EQ(MainWindow().FontChanges(), changes + 2);
    }
    // A font still selected somewhere (the information window's) may still be
    // realised; the face is no longer offered.
    EXPECT_FALSE(FontFaceListed(SongFontFace)) << "Quit left the font registered";

    if (!built) {
        GTEST_SKIP() << "vuravi__.fon is not built yet: only the broadcasts were checked";
    }
    if (!MainWindow().TopLevel()) {
        GTEST_SKIP() << "no display: the broadcasts were not checked";
    }
}

}  // namespace
