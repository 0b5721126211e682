// The descriptor the host gets, the entry points' defaults when an event has
// no handler, the component kit's edge cases, and Init and Quit.

#include <cstring>
#include <filesystem>

#include "plugin/kit/NoxWinAmpControl.h"
#include "plugin/kit/NoxWinAmpInputPlugin.h"
#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginDescriptor = TPluginTest;

TEST_F(TPluginDescriptor, SecondCallGivesTheSameRecordAndLeavesTheHostFieldsAlone)
{
    Module->hDllInstance = reinterpret_cast<HINSTANCE>(0x1234);
    In_Module before;
    std::memcpy(&before, Module, sizeof before);
    In_Module* again = winampGetInModule2();
    EXPECT_EQ(again, Module);
    EXPECT_EQ(std::memcmp(&before, again, sizeof before), 0);
    EXPECT_EQ(again->hMainWindow, Host.MainWindow());
    EXPECT_EQ(again->outMod, &Host.Output());
    EXPECT_EQ(again->hDllInstance, reinterpret_cast<HINSTANCE>(0x1234));
}

TEST_F(TPluginDescriptor, EveryEntryPointIsSetAndTheFlagsSayPlayableAndSeekable)
{
    EXPECT_EQ(Module->version, InModuleVersion);
    EXPECT_EQ(Module->is_seekable, 1);
    EXPECT_EQ(Module->UsesOutputPlug, 1);
    ASSERT_NE(Module->description, nullptr);
    EXPECT_STREQ(Module->description, DataModule1->morvelplugin->Description().c_str());
    const void* entries[] = {
        reinterpret_cast<const void*>(Module->Config),        reinterpret_cast<const void*>(Module->About),
        reinterpret_cast<const void*>(Module->Init),          reinterpret_cast<const void*>(Module->Quit),
        reinterpret_cast<const void*>(Module->GetFileInfo),   reinterpret_cast<const void*>(Module->InfoBox),
        reinterpret_cast<const void*>(Module->IsOurFile),     reinterpret_cast<const void*>(Module->Play),
        reinterpret_cast<const void*>(Module->Pause),         reinterpret_cast<const void*>(Module->UnPause),
        reinterpret_cast<const void*>(Module->IsPaused),      reinterpret_cast<const void*>(Module->Stop),
        reinterpret_cast<const void*>(Module->GetLength),     reinterpret_cast<const void*>(Module->GetOutputTime),
        reinterpret_cast<const void*>(Module->SetOutputTime), reinterpret_cast<const void*>(Module->SetVolume),
        reinterpret_cast<const void*>(Module->SetPan),        reinterpret_cast<const void*>(Module->EQSet)};
    for (const void* entry : entries) {
        EXPECT_NE(entry, nullptr);
    }
}

// The host walks "extension, description" pairs until an empty extension.
TEST_F(TPluginDescriptor, ExtensionListHoldsOnePairAndEndsWithTwoNuls)
{
    const char* p = Module->FileExtensions;
    ASSERT_NE(p, nullptr);
    std::vector<std::pair<std::string, std::string>> pairs;
    while (*p) {
        const std::string extension = p;
        p += extension.size() + 1;
        const std::string description = p;
        p += description.size() + 1;
        pairs.emplace_back(extension, description);
    }
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].first, "dmf");
    EXPECT_EQ(pairs[0].second, "Quorlith Digital Music File");
    EXPECT_EQ(p, Module->FileExtensions + 32);
}

TEST_F(TPluginDescriptor, PanAndVolumeReachTheOutputUnchanged)
{
    Module->SetPan(-77);
    Module->SetPan(128);
    Module->SetVolume(201);
    EXPECT_EQ(Host.Events(), (std::vector<std::string>{"SetPan", "SetPan", "SetVolume"}));
    EXPECT_EQ(FirstArgs(Host.CallsNamed("SetPan")), (std::vector<int32_t>{-77, 128}));
    EXPECT_EQ(FirstArgs(Host.CallsNamed("SetVolume")), (std::vector<int32_t>{201}));
}

// ---- Entry points whose event has no handler --------------------------------------

TEST_F(TPluginDescriptor, UnassignedTransportEventsFallBackToTheirDefaults)
{
    TNoxWinAmpInputPlugin& plugin = *DataModule1->morvelplugin;
    plugin.OnGetLength = {};
    plugin.OnPlay = {};
    plugin.OnIsPaused = {};
    plugin.OnGetOutputTime = {};
    plugin.OnSetVolume = {};

    EXPECT_EQ(Module->GetLength(), -1000);
    const std::string song = WriteSongFile("song.dmf", SteadySong(6));
    EXPECT_EQ(Module->Play(song.c_str()), 1);
    EXPECT_TRUE(Host.Calls().empty()) << "a Play without handler opens nothing";
    EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, 0);

    // IsPaused follows the component's own flag: Pause sets it, Play, UnPause and Stop clear it.
    EXPECT_EQ(Module->IsPaused(), 0);
    Module->Pause();
    EXPECT_EQ(Module->IsPaused(), 1);
    Module->UnPause();
    EXPECT_EQ(Module->IsPaused(), 0);
    Module->Pause();
    Module->Play(song.c_str());
    EXPECT_EQ(Module->IsPaused(), 0);
    Module->Pause();
    Module->Stop();
    EXPECT_EQ(Module->IsPaused(), 0);

    Host.ClearCalls();
    Module->GetOutputTime();
    Module->SetVolume(77);
    EXPECT_EQ(Host.Events(), (std::vector<std::string>{"SetVolume"}));
    EXPECT_EQ(Host.Count("GetOutputTime"), 1);
    EXPECT_EQ(FirstArgs(Host.CallsNamed("SetVolume")), (std::vector<int32_t>{77}));
}

TEST_F(TPluginDescriptor, UnassignedFileEventsFallBackToTheirDefaults)
{
    TNoxWinAmpInputPlugin& plugin = *DataModule1->morvelplugin;
    plugin.OnGetFileInfo = {};
    plugin.OnInfoBox = {};
    plugin.OnIsOurFile = {};

    int length = 0;
    EXPECT_EQ(FileTitle("", &length), "untouched");
    EXPECT_EQ(length, -1);
    EXPECT_EQ(Module->IsOurFile("song.dmf"), 0);

    // InfoBox without handler: a message box naming the file, owned by the parent.
    const HWND parent = reinterpret_cast<HWND>(0x4321);
    EXPECT_EQ(Module->InfoBox("some/file.dmf", parent), 0);
    const TPlatformRecord record = PlatformRecordSnapshot();
    ASSERT_EQ(record.MessageBoxes.size(), 1u);
    EXPECT_EQ(record.MessageBoxes[0].Owner, parent);
    EXPECT_EQ(record.MessageBoxes[0].Text, "some/file.dmf");
    EXPECT_EQ(record.MessageBoxes[0].Caption, "morvelplugin");
    EXPECT_EQ(SongInfoWindowRecordSnapshot().ShowCount, 0);
}

// The equaliser has no handler in this plug-in; Config's dialog, natively
// only recorded, asks nothing of the host's output either.
TEST_F(TPluginDescriptor, ConfigAndEqualiserCallNothingOfTheHost)
{
    char bands[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Module->Config(nullptr);
    Module->EQSet(1, bands, 20);
    EXPECT_TRUE(Host.Calls().empty());
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
    EXPECT_EQ(PlatformRecordSnapshot().Dialogs.size(), 1u);
}

// The host's About button: one message box owned by the window the host
// gave, naming the plug-in as the host lists it and the files it plays.
TEST_F(TPluginDescriptor, AboutShowsTheNameVersionAndFormatOwnedByTheParent)
{
    const HWND parent = reinterpret_cast<HWND>(0x4321);
    Module->About(parent);
    const TPlatformRecord record = PlatformRecordSnapshot();
    ASSERT_EQ(record.MessageBoxes.size(), 1u);
    const TRecordedMessageBox& box = record.MessageBoxes[0];
    EXPECT_EQ(box.Owner, parent);
    EXPECT_EQ(box.Text.rfind(std::string(Module->description) + "\n", 0), 0u) << box.Text;
    const std::string family = Module->FileExtensions + std::strlen(Module->FileExtensions) + 1;
    EXPECT_NE(box.Text.find(family), std::string::npos) << box.Text;
    EXPECT_NE(box.Text.find(".dmf"), std::string::npos) << box.Text;
    EXPECT_FALSE(box.Caption.empty());
    EXPECT_TRUE(Host.Calls().empty());
}

struct TEqualiserListener {
    void EQSet(TSender Sender, int IsOn, TNoxWinAmpInputPluginEQData& Data, int PreAmp)
    {
        From = Sender;
        On = IsOn;
        Bands = Data;
        Amp = PreAmp;
        Data.fill(0);  // the handler has a copy: the host's bands stay
    }
    TSender From = nullptr;
    int On = 0;
    TNoxWinAmpInputPluginEQData Bands{};
    int Amp = 0;
};

TEST_F(TPluginDescriptor, EqualiserHandlerGetsACopyOfTheTenBands)
{
    TEqualiserListener listener;
    DataModule1->morvelplugin->OnEQSet = TNoxWinAmpInputPluginEQSetEvent(&listener, &TEqualiserListener::EQSet);
    char bands[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, static_cast<char>(200), 77};
    Module->EQSet(1, bands, -9);
    EXPECT_EQ(listener.From, DataModule1->morvelplugin);
    EXPECT_EQ(listener.On, 1);
    EXPECT_EQ(listener.Amp, -9);
    EXPECT_EQ(listener.Bands, (TNoxWinAmpInputPluginEQData{1, 2, 3, 4, 5, 6, 7, 8, 9, 200}));
    EXPECT_EQ(bands[0], 1);
    EXPECT_EQ(bands[10], 77);
}

// ---- Component kit --------------------------------------------------------------

TEST(PluginKit, ControlForgetsAPluginThatIsDestroyed)
{
    auto* plugin = new TNoxWinAmpInputPlugin(nullptr);
    TNoxWinAmpControl control(nullptr);
    control.SetPlugin(plugin);
    EXPECT_EQ(control.Plugin(), plugin);
    delete plugin;
    EXPECT_EQ(control.Plugin(), nullptr);

    // The other way round: a plugin outliving its control does not call it back.
    auto* survivor = new TNoxWinAmpInputPlugin(nullptr);
    {
        TNoxWinAmpControl shortLived(nullptr);
        shortLived.SetPlugin(survivor);
    }
    delete survivor;
}

TEST_F(TPluginDescriptor, DataModuleControlServesTheInputPlugin)
{
    EXPECT_EQ(DataModule1->plugincontrol->Plugin(), DataModule1->morvelplugin);
    EXPECT_EQ(DataModule1->morvelplugin->GetMainWindow(), Host.MainWindow());
}

TEST(PluginKit, WindowClassNameDecidesWhichWindowIsSought)
{
    PlatformRecordReset();
    TNoxWinAmpControl control(nullptr);
    control.NonePlugin()->GetMainWindow();
    control.SetWindowClassName(control.WindowClassName());
    control.NonePlugin()->GetMainWindow();
    EXPECT_EQ(control.WindowClassName(), "Winamp v1.x");
    control.SetWindowClassName("Other host");
    control.NonePlugin()->GetMainWindow();
    EXPECT_EQ(PlatformRecordSnapshot().WindowClassesSought,
              (std::vector<std::string>{"Winamp v1.x", "Winamp v1.x", "Other host"}));
}

TEST(PluginKit, PropertiesReachTheRecordOnlyOnceAttached)
{
    TNoxWinAmpInputPlugin plugin(nullptr);
    In_Module record{};
    EXPECT_EQ(plugin.GetMainWindow(), nullptr);
    plugin.SetSeekable(true);
    plugin.SetUsesOutput(true);
    plugin.SetDescriptionText("first");
    EXPECT_EQ(record.is_seekable, 0);
    EXPECT_EQ(record.UsesOutputPlug, 0);

    plugin.AttachModule(&record);
    EXPECT_EQ(record.is_seekable, 1);
    EXPECT_EQ(record.UsesOutputPlug, 1);
    EXPECT_STREQ(record.description, "first");

    record.hMainWindow = reinterpret_cast<HWND>(0x99);
    EXPECT_EQ(plugin.GetMainWindow(), reinterpret_cast<HWND>(0x99));
    plugin.SetSeekable(false);
    EXPECT_EQ(record.is_seekable, 0);
    EXPECT_EQ(record.UsesOutputPlug, 1);
    plugin.SetUsesOutput(false);
    EXPECT_EQ(record.UsesOutputPlug, 0);
    plugin.SetDescriptionText("second");
    EXPECT_STREQ(record.description, "second");
    const std::string extensions("abc\0Some Files", 14);
    plugin.SetFileExtensions(extensions);
    EXPECT_EQ(std::memcmp(record.FileExtensions, extensions.data(), extensions.size() + 1), 0);
}

TEST_F(TPluginDescriptor, ExtensionTextKeepsAllItsCharactersAfterAttachment)
{
    // Read whole, not cut at the first NUL: the pair and the list's end.
    const std::string& text = DataModule1->morvelplugin->FileExtensions();
    EXPECT_EQ(text.size(), 33u);
    EXPECT_EQ(text.substr(0, 32), std::string("dmf\0Quorlith Digital Music File\0", 32));
    EXPECT_EQ(Module->FileExtensions, text.c_str());
}

// ---- Init and Quit ------------------------------------------------------------------

TEST_F(TPluginDescriptor, InitRegistersTheFontBesideTheLibraryAndMakesTheFormHidden)
{
    TPlatformRecord record = PlatformRecordSnapshot();
    ASSERT_EQ(record.FontsAdded.size(), 1u);
    const std::filesystem::path font = record.FontsAdded[0];
    EXPECT_EQ(font.filename(), "vuravi__.fon");
    // In process the plug-in's code is part of the test program.
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ(std::filesystem::weakly_canonical(font.parent_path()), program.parent_path());
    EXPECT_EQ(record.FontChangeBroadcasts, 1);
    EXPECT_TRUE(record.FontsRemoved.empty());
    const TRecordedInfoWindow window = SongInfoWindowRecordSnapshot();
    EXPECT_EQ(window.Created, 1);
    EXPECT_EQ(window.Alive, 1);
    EXPECT_FALSE(window.Visible);
    EXPECT_EQ(window.ShowCount, 0);
    EXPECT_TRUE(record.MessageBoxes.empty());
    // The host window comes from the record, never from a search by class.
    EXPECT_TRUE(record.WindowClassesSought.empty());
    EXPECT_TRUE(Host.Calls().empty());

    Quit();
    record = PlatformRecordSnapshot();
    EXPECT_EQ(record.FontsRemoved, record.FontsAdded);
    EXPECT_EQ(record.FontChangeBroadcasts, 2);
    // The form and the song stay until the library is unloaded.
    EXPECT_EQ(SongInfoWindowRecordSnapshot().Alive, 1);
    int length = -1;
    EXPECT_EQ(FileTitle("", &length), " - ");
    EXPECT_EQ(length, 0);
}

}  // namespace
