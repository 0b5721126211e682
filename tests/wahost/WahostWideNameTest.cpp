// A file whose name the system's ANSI code page cannot spell: what Winamp
// hands an ANSI entry point (the code page's best attempt, with '?' for what
// it lacks) reaches no file; the wide exports read it.

#include <windows.h>

#include <filesystem>

#include "tests/support/ForeignName.h"
#include "tests/support/RenderReference.h"
#include "tests/wahost/WahostFixture.h"

namespace {

using TWahostWideName = TWahostTest;

TEST_F(TWahostWideName, NameTheCodePageCannotSpellIsReadOnlyThroughTheWideExports)
{
    const std::string narrow = WriteSongFile("song.dmf", SteadySong(9, "Foreign", "Letters"));
    const std::filesystem::path wide = std::filesystem::path(::testing::TempDir()) / ForeignNameWide;
    std::filesystem::copy_file(narrow, wide, std::filesystem::copy_options::overwrite_existing);
    const std::wstring name = wide.wstring();
    if (GetACP() == CP_UTF8) {
        GTEST_SKIP() << "the ANSI code page is UTF-8: it spells every name";
    }
    char ansi[MAX_PATH * 4] = {};
    BOOL lossy = FALSE;
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy), 0);
    ASSERT_TRUE(lossy) << "the ANSI code page " << GetACP() << " spells the name";

    const TWinamp5Exports exports = Winamp5();
    char title[64] = {};
    EXPECT_EQ(exports.GetExtendedFileInfo(ansi, "title", title, sizeof title), 0);
    EXPECT_EQ(exports.ReadOpen(ansi, nullptr, nullptr, nullptr, nullptr), 0);
    int length = -1;
    char playlistTitle[64] = "untouched";
    GetFileInfo(ansi, playlistTitle, &length);
    EXPECT_EQ(length, 0) << "an ANSI name the code page could not spell reached the file";

    wchar_t wideTitle[64] = {};
    EXPECT_EQ(exports.GetExtendedFileInfoW(name.c_str(), "title", wideTitle, 64), 1);
    EXPECT_EQ(std::wstring(wideTitle), L"Foreign");
    const intptr_t handle = exports.ReadOpenW(name.c_str(), nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(handle, 0);
    const std::vector<uint8_t> pcm = ReadToEnd(exports, handle, 65536);
    exports.ReadClose(handle);
    EXPECT_TRUE(pcm == RenderRaw(narrow));
    std::printf("ANSI code page %u: the name reaches the plug-in as \"%s\"\n", GetACP(), ansi);
    std::filesystem::remove(wide);
}

}  // namespace
