// The plug-in's entry points on arbitrary bytes written to a file, with a
// recording host: GetFileInfo, then Play, a seek forward and one back through
// the player thread, and Stop.
//
// Bounds: the host's output holds one second and its clock moves only when
// the harness advances it, so the player renders at most about a second (plus
// one tick) ahead before it waits for room; each wait for the player is
// limited to WaitLimit, and Stop ends the thread whatever it was doing. A
// player that does not come back within libFuzzer's -timeout is a hang.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "platform/PlatformRecord.h"
#include "player/DmfOutputFormat.h"
#include "plugin/DataModule.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int OutputCapacity = OutputBytesPerSecond;  // one second of output
constexpr std::chrono::milliseconds WaitLimit{2000};
constexpr int ForwardTargetMs = 5000;
constexpr int BackTargetMs = 1000;
constexpr double RoomMs = 500;  // played at each seek, so the player takes it
constexpr unsigned SleepDivisor = 100;

struct TPluginSession {
    TPluginSession()
    {
        FuzzQuietLog();
        if (!DataModule1) {
            CreateDataModule1();
        }
        PlatformRecordReset();
        // The output is a model whose clock the harness moves: the player's
        // polls need not take real milliseconds.
        PlatformRecordShortenSleeps(SleepDivisor);
        Module = winampGetInModule2();
        Host.Attach(*Module);
        Host.SetClock(TOutputClock::Manual);
        Host.SetCapacity(OutputCapacity);
        Host.KeepPcm(false);
        Module->Init();
        Folder = std::filesystem::temp_directory_path() / ("morvel-fuzz-plugin-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Folder);
        Path = (Folder / "input.dmf").string();
    }

    ~TPluginSession()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }

    // The player waits for room (after a flush at or past call From when
    // NeedFlush), drains the output at the song's end, or is gone.
    bool PlayerSettled(size_t From, bool NeedFlush) const
    {
        const std::vector<THostCall> calls = Host.Calls();
        for (const THostCall& call : calls) {
            if (call.Name == "IsPlaying" || call.Name == "Close") {
                return true;
            }
        }
        size_t start = From;
        if (NeedFlush) {
            while (start < calls.size() && calls[start].Name != "Flush") {
                ++start;
            }
            if (start == calls.size()) {
                return false;
            }
        }
        const size_t n = calls.size();
        return n >= start + 2 && calls[n - 1].Name == "CanWrite" && calls[n - 2].Name == "CanWrite";
    }

    void WaitUntilSettled(size_t From, bool NeedFlush)
    {
        Host.WaitUntil([&] { return PlayerSettled(From, NeedFlush); }, WaitLimit);
    }

    // The player takes the target in its next pass, once the output has room.
    void SeekTo(int TargetMs)
    {
        const size_t mark = Host.Calls().size();
        Module->SetOutputTime(TargetMs);
        Host.AdvancePlayed(RoomMs);
        WaitUntilSettled(mark, true);
    }

    TRecordingHost Host;
    In_Module* Module = nullptr;
    std::filesystem::path Folder;  // this process's own
    std::string Path;              // the input's file in it
};

}  // namespace

int FuzzPlugin(const uint8_t* Data, size_t Size)
{
    static TPluginSession session;
    if (!WriteFileBytes(session.Path, std::vector<uint8_t>(Data, Data + Size))) {
        return 0;
    }
    session.Host.ClearCalls();
    char title[512] = "";
    int length = 0;
    session.Module->GetFileInfo(session.Path.c_str(), title, &length);
    if (session.Module->Play(session.Path.c_str()) == 0) {
        session.WaitUntilSettled(0, false);
        session.Module->GetOutputTime();
        session.SeekTo(ForwardTargetMs);
        session.SeekTo(BackTargetMs);
        session.Module->GetLength();
    }
    session.Module->Stop();
    return 0;
}
