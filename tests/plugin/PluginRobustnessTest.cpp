// The plug-in kit's event handlers failing in every way: the entry points catch it all.

#include <new>
#include <stdexcept>

#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginRobustness = TPluginTest;

// Handlers that throw, as a failing load would: nothing reaches the host.
struct TThrowingHandlers {
    void Notify(TSender) { throw std::runtime_error("notify"); }
    void Window(TSender, HWND) { throw std::runtime_error("window"); }
    void FileInfo(TSender, const char*, char*, int*) { throw std::runtime_error("file information"); }
    int InfoBox(TSender, const char*, HWND) { throw std::runtime_error("information box"); }
    bool Check(TSender, const char*) { throw std::runtime_error("check"); }
    int Play(TSender, const char*) { throw 42; }  // not even an exception class
    bool Boolean(TSender) { throw std::runtime_error("boolean"); }
    int Get(TSender) { throw std::bad_alloc(); }
    void Set(TSender, int) { throw std::runtime_error("set"); }
    void Equaliser(TSender, int, TNoxWinAmpInputPluginEQData&, int) { throw std::runtime_error("equaliser"); }
};

TEST_F(TPluginRobustness, HandlerErrorsNeverReachTheHost)
{
    TThrowingHandlers handlers;
    TThrowingHandlers* h = &handlers;
    TNoxWinAmpInputPlugin& plugin = *DataModule1->morvelplugin;
    plugin.OnInit = plugin.OnQuit = plugin.OnPause = plugin.OnUnPause = plugin.OnStop =
        TNotifyEvent(h, &TThrowingHandlers::Notify);
    plugin.OnConfig = plugin.OnAbout = TNoxWinAmpOutputPluginWindowEvent(h, &TThrowingHandlers::Window);
    plugin.OnGetFileInfo = TNoxWinAmpInputPluginGetFileInfoEvent(h, &TThrowingHandlers::FileInfo);
    plugin.OnInfoBox = TNoxWinAmpInputPluginInfoBoxEvent(h, &TThrowingHandlers::InfoBox);
    plugin.OnIsOurFile = TNoxWinAmpInputPluginFileNameCheckEvent(h, &TThrowingHandlers::Check);
    plugin.OnPlay = TNoxWinAmpInputPluginPlayEvent(h, &TThrowingHandlers::Play);
    plugin.OnIsPaused = TNoxWinAmpOutputPluginBooleanEvent(h, &TThrowingHandlers::Boolean);
    plugin.OnGetLength = plugin.OnGetOutputTime = TNoxWinAmpOutputPluginGetValueEvent(h, &TThrowingHandlers::Get);
    plugin.OnSetOutputTime = plugin.OnSetVolume = plugin.OnSetPan =
        TNoxWinAmpOutputPluginSetValueEvent(h, &TThrowingHandlers::Set);
    plugin.OnEQSet = TNoxWinAmpInputPluginEQSetEvent(h, &TThrowingHandlers::Equaliser);

    char title[64] = "untouched";
    int length = 0;
    char bands[10] = {};
    EXPECT_NO_THROW(Module->Init());
    EXPECT_NO_THROW(Module->Config(nullptr));
    EXPECT_NO_THROW(Module->About(nullptr));
    EXPECT_NO_THROW(Module->GetFileInfo("", title, &length));
    EXPECT_NO_THROW(Module->InfoBox("", nullptr));
    EXPECT_NO_THROW(Module->IsOurFile("song.dmf"));
    EXPECT_NO_THROW(Module->Play("song.dmf"));
    EXPECT_NO_THROW(Module->Pause());
    EXPECT_NO_THROW(Module->UnPause());
    EXPECT_NO_THROW(Module->IsPaused());
    EXPECT_NO_THROW(Module->GetLength());
    EXPECT_NO_THROW(Module->GetOutputTime());
    EXPECT_NO_THROW(Module->SetOutputTime(10));
    EXPECT_NO_THROW(Module->SetVolume(10));
    EXPECT_NO_THROW(Module->SetPan(10));
    EXPECT_NO_THROW(Module->EQSet(1, bands, 0));
    EXPECT_NO_THROW(Module->Stop());
    EXPECT_NO_THROW(Quit());
}

}  // namespace
