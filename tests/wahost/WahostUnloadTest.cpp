// Unloading the DLL as Winamp does at exit or when it rescans its plug-ins:
// while idle, and right after a Stop that ended a player thread. Nothing of
// the DLL may run after FreeLibrary, and the host goes on.

#include "tests/wahost/WahostFixture.h"

namespace {

using TWahostUnload = TWahostTest;

// The DLL's module handle by its file name; null once it is unloaded.
HMODULE LoadedPlugin()
{
    return GetModuleHandleA("in_morvel.dll");
}

TEST_F(TWahostUnload, WhileIdle)
{
    EXPECT_EQ(LoadedPlugin(), Dll.Handle());
    Quit();
    Unload();
    EXPECT_EQ(LoadedPlugin(), nullptr);
    EXPECT_TRUE(Host.Calls().empty());

    // Loaded again it starts afresh.
    ASSERT_NO_FATAL_FAILURE(Load());
    Init();
    int length = -1;
    EXPECT_EQ(FileTitle("", &length), " - ");
    EXPECT_EQ(length, 0);
}

TEST_F(TWahostUnload, RightAfterAStop)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(60));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Play(song), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Ui([&] {
        Module->Stop();
        Module->Quit();
        FreeLibrary(Dll.Handle());
    });
    Initialised = false;
    Dll.Forget();
    Module = nullptr;
    EXPECT_EQ(LoadedPlugin(), nullptr);
    // The player thread ended before Stop returned: no call came after it.
    const size_t calls = Host.Calls().size();
    MainWindow().Settle();
    EXPECT_EQ(Host.Calls().size(), calls);
    EXPECT_EQ(Host.Calls().back().Name, "Close");
    EXPECT_TRUE(Host.Posted().empty());

    // The host goes on with a DLL loaded again.
    ASSERT_NO_FATAL_FAILURE(Load());
    Init();
    Host.SetClock(TOutputClock::Instant);
    Host.SetCapacity(TRecordingHost::AmpleRoom);
    PlayToEnd(WriteSongFile("short.dmf", SteadySong(6)));
    Stop();
    MainWindow().Settle();
    EXPECT_EQ(Host.EndOfFileMessages(), 1);
}

}  // namespace
