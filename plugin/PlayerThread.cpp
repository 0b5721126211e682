#include "plugin/PlayerThread.h"

#include <algorithm>

#include "player/DmfLimits.h"
#include "player/DmfNumbers.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"

namespace {
// The largest render step, and as much again for what a DSP may add.
constexpr int PlayBufferBytes = 2 * MaxBlockBytes;
// A render step is started once the output has room for it, or for one second
// of audio when the step is longer: a slow tempo's 2.5 s step would otherwise
// wait for ever on an output whose buffer is shorter. The rest is written as
// room appears.
constexpr int MaxRoomWanted = OutputBytesPerSecond;

constexpr unsigned PausePollMs = 100;
constexpr unsigned RoomPollMs = 5;
constexpr unsigned DrainPollMs = 50;

int RoundMs(double Ms)
{
    return static_cast<int>(RoundHalfEven(Ms));
}
}  // namespace

TPlayerThread::TPlayerThread(TDataModule1& Driver, TDmf& Song) : Driver(Driver), Song(Song)
{
}

bool TPlayerThread::Start()
{
    return Thread.Start([this] { Execute(); });
}

void TPlayerThread::WaitFor()
{
    Thread.Join();
}

void TPlayerThread::Execute()
{
    In_Module* module = Driver.Module();
    Out_Module* out = module->outMod;
    PlayBuffer.assign(PlayBufferBytes, 0);

    do {
        while (Driver.Paused && !Driver.StopRequested)
            PluginSleep(PausePollMs);

        // Taken and cleared in one step: a target set meanwhile waits for the next pass.
        const int target = Driver.SeekTargetMS.exchange(-1);
        if (target >= 0)
            Seek(target);

        const int n = Song.BlockBytes;
        int room = out->CanWrite();
        while (room < std::min(n, MaxRoomWanted) && !Driver.StopRequested) {
            PluginSleep(RoomPollMs);
            room = out->CanWrite();
        }

        Song.RenderBlock(PlayBuffer.data(), n);
        const int timestamp = RoundMs(Driver.PositionMS);
        module->SAAddPCMData(PlayBuffer.data(), 2, 16, timestamp);
        module->VSAAddPCMData(PlayBuffer.data(), 2, 16, timestamp);
        Driver.PositionMS = Driver.PositionMS + n / OutputBytesPerMs;

        int count = n;
        if (module->dsp_isactive() == 1) {
            const int frames = module->dsp_dosamples(reinterpret_cast<short*>(PlayBuffer.data()), n / 4, 16, 2, 44100);
            // Never more than the buffer holds, whatever the DSP answers.
            count = std::clamp(frames, 0, PlayBufferBytes / 4) * 4;
        }
        WriteToOutput(count, room);
    } while (!Driver.StopRequested && Song.Playing);

    Driver.PositionMS = 0.0;
    if (!Driver.StopRequested) {
        while (out->IsPlaying() != 0 && !Driver.StopRequested)
            PluginSleep(DrainPollMs);
    }
    Song.Stop();
    module->SAVSADeInit();
    out->Close();
    if (!Driver.StopRequested)
        PluginPostMessage(module->hMainWindow, WM_WA_MPEG_EOF, 0, 0);
}

void TPlayerThread::Seek(int Target)
{
    if (Target < Driver.PositionMS) {
        Song.Stop();
        Song.Rewind();
        Song.Start();
        Driver.PositionMS = 0.0;
    }
    // A target past the end stops with the song; Stop ends the skipping too.
    double t = Driver.PositionMS;
    while (Target > t && Song.Playing && !Driver.StopRequested) {
        Song.SkipBlock();
        t += Song.BlockBytes / OutputBytesPerMs;
    }
    Driver.PositionMS = t;
    Driver.Module()->outMod->Flush(RoundMs(t));
}

void TPlayerThread::WriteToOutput(int Count, int Room)
{
    Out_Module* out = Driver.OutMod();
    char* data = PlayBuffer.data();
    // In one piece when the output has room for it, as it has for every
    // ordinary step (or when stopping, whatever the output makes of it).
    if (Count <= Room || Driver.StopRequested) {
        out->Write(data, Count);
        return;
    }
    // Otherwise in whole frames as room appears.
    for (;;) {
        const int piece = std::min(Room & ~3, Count);
        if (piece > 0) {
            out->Write(data, piece);
            data += piece;
            Count -= piece;
        }
        if (Count == 0 || Driver.StopRequested)
            return;
        if (piece <= 0)
            PluginSleep(RoomPollMs);
        Room = out->CanWrite();
    }
}
