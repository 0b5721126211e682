// Where the plug-in finds the host's settings file, natively: the path a
// host's window answers, and for any answer that is no path (0, a small
// number, an empty text, no window at all) winamp.ini beside the host's
// program; and Config outside Windows, which only records its dialog.

#include <gtest/gtest.h>

#include <string>

#include "platform/PlatformNativeWindow.h"
#include "platform/PlatformPath.h"
#include "platform/PlatformSystem.h"
#include "plugin/SoundSettingsFile.h"
#include "tests/plugin/PluginFixture.h"

namespace {

struct TAnsweringWindow {
    intptr_t Answer = 0;
    unsigned Asked = 0;
    TNativeHostWindow Window{nullptr, this, [](TNativeHostWindow* Self, unsigned Message, uintptr_t, intptr_t LParam) {
                                 auto* me = static_cast<TAnsweringWindow*>(Self->Context);
                                 if (Message == WM_WA_IPC && LParam == IPC_GETINIFILE) {
                                     ++me->Asked;
                                 }
                                 return me->Answer;
                             }};
};

TEST(SoundSettingsFile, TheHostsAnswerElseWinampIniBesideItsProgram)
{
    const std::string besideHost = PlatformFolderPart(PlatformProgramPath()) + "winamp.ini";
    const std::string path = "/home/listener/.winamp/winamp.ini";
    TAnsweringWindow host;
    host.Answer = reinterpret_cast<intptr_t>(path.c_str());
    EXPECT_EQ(HostSettingsFile(host.Window.Handle()), path);
    EXPECT_EQ(host.Asked, 1u);

    const std::string empty;
    for (const intptr_t answer :
         {intptr_t{0}, intptr_t{1}, intptr_t{0xFFFF}, reinterpret_cast<intptr_t>(empty.c_str())}) {
        host.Answer = answer;
        EXPECT_EQ(HostSettingsFile(host.Window.Handle()), besideHost) << answer;
    }
    // A host window that answers nothing, and none at all.
    TNativeHostWindow silent{nullptr, nullptr};
    EXPECT_EQ(HostSettingsFile(silent.Handle()), besideHost);
    EXPECT_EQ(HostSettingsFile(nullptr), besideHost);
}

class TNativeConfig : public TPluginTest { };

TEST_F(TNativeConfig, RecordsItsDialogOwnedByTheHostsWindowAndChangesNothing)
{
    const std::string file = "[Winamp]\nvolume=200\n[in_morvel]\nOutputRate=22050\n";
    WriteFile("winamp.ini", {file.begin(), file.end()});
    Restart();
    const TSoundSettings before = DataModule1->SoundSettings.Current();
    EXPECT_EQ(before.Rate, 22050);
    const HWND parent = Host.MainWindow();
    Module->Config(parent);
    const TPlatformRecord record = PlatformRecordSnapshot();
    ASSERT_EQ(record.Dialogs.size(), 1u);
    EXPECT_EQ(record.Dialogs[0].Owner, parent);
    EXPECT_EQ(record.Dialogs[0].Caption, "Morvel - Sound settings");
    EXPECT_TRUE(DataModule1->SoundSettings.Current() == before);
    const std::vector<uint8_t> kept = ReadFileBytes(TempPath("winamp.ini"));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), file);
}

}  // namespace
