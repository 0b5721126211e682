// The shared library as a host loads it: found by its one export, used, and
// unloaded again.

#include <dlfcn.h>

#include "tests/plugin/PluginFixture.h"
#include "tests/support/RenderReference.h"
#include "tests/support/Winamp5Exports.h"

namespace {

TEST(PluginLibrary, LoadsAnswersForAFileAndUnloads)
{
    SetDebugLogConsole(nullptr);
    void* library = dlopen(MORVEL_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto get = reinterpret_cast<WinampGetInModule2Function>(dlsym(library, "winampGetInModule2"));
    ASSERT_NE(get, nullptr) << dlerror();
    // Its own copy of the plug-in, not the one linked into this program.
    EXPECT_NE(get, &winampGetInModule2);

    In_Module* module = get();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->version, InModuleVersion);
    EXPECT_EQ(get(), module);
    {
        TRecordingHost host;
        host.Attach(*module);
        module->Init();
        EXPECT_EQ(module->IsOurFile("song.dmf"), 1);
        char title[128] = "untouched";
        int length = -1;
        module->GetFileInfo(ExampleSong.c_str(), title, &length);
        TDmf example;
        example.LoadInfoFromFile(ExampleSong);
        EXPECT_EQ(std::string(title), example.SongName + " - " + example.Composer);
        EXPECT_EQ(length, example.LengthMs);
        module->Quit();
        EXPECT_TRUE(host.Calls().empty());
    }
    EXPECT_EQ(dlclose(library), 0) << dlerror();
    SetDebugLogConsole(stdout);
}

// Winamp 5's optional exports, looked up by name as it looks them up: the
// library's own, answering for a file without any In_Module call first.
TEST(PluginLibrary, Winamp5ExportsAnswerForAFileAndDecodeIt)
{
    SetDebugLogConsole(nullptr);
    void* library = dlopen(MORVEL_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const TWinamp5Exports exports = LookUpWinamp5Exports([&](const char* Name) { return dlsym(library, Name); });
    ASSERT_TRUE(exports.Complete());
    EXPECT_NE(exports.ReadOpen, &winampGetExtendedRead_open) << "the library's own, not this program's";

    const std::string song = WriteSongFile("song.dmf", SteadySong(9, "Library", "Song"));
    char title[64] = {};
    EXPECT_EQ(exports.GetExtendedFileInfo(song.c_str(), "title", title, sizeof title), 1);
    EXPECT_STREQ(title, "Library");
    wchar_t composer[64] = {};
    EXPECT_EQ(exports.GetExtendedFileInfoW(std::filesystem::path(song).wstring().c_str(), "composer", composer, 64), 1);
    EXPECT_EQ(std::wstring(composer), L"Song");
    TReadFormat format;
    const std::vector<uint8_t> pcm = ReadWholeSong(exports, song, 4095, &format);
    const std::vector<uint8_t> rendered = RenderRaw(song);
    EXPECT_EQ(format.Size, static_cast<int>(rendered.size()));
    EXPECT_TRUE(pcm == rendered);
    EXPECT_EQ(dlclose(library), 0) << dlerror();
    SetDebugLogConsole(stdout);
}

}  // namespace
