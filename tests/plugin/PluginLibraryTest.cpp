// The shared library as a host loads it: found by its one export, used, and
// unloaded again.

#include <dlfcn.h>

#include "tests/plugin/PluginFixture.h"

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

}  // namespace
