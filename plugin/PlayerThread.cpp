#include "plugin/PlayerThread.h"

#include <algorithm>
#include <mutex>

#include "platform/PlatformSystem.h"
#include "player/DmfNumbers.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"
#include "plugin/PlayerShared.h"
#include "plugin/sdk/WinampPluginRecords.h"

namespace {

constexpr unsigned PausePollMs = 100;
constexpr unsigned RoomPollMs = 5;
constexpr unsigned DrainPollMs = 50;

int RoundMs(double Ms)
{
    return static_cast<int>(RoundHalfEven(Ms));
}

// Runs one of the host's calls at the end of a run; a failure there must not
// keep the next one from being made.
template <class Body> void Attempt(Body&& Run) noexcept
{
    try {
        Run();
    } catch (...) {
    }
}
}  // namespace

TPlayerThread::TPlayerThread(TPlayerShared& Shared, In_Module& Module, TDmf& Song)
    : Shared(Shared),
      Module(Module),
      Song(Song),
      Playback(Song),
      // The largest render step at the song's rate, and as much again for what a DSP may add.
      PlayBuffer(2 * static_cast<size_t>(MaxTickBytesAt(Song.SoundInForce().Rate)), 0)
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
    try {
        PlayPass();
        // The song ended by itself: the output plays what it holds. The
        // position stays at the song's end meanwhile, so that the host's
        // clock counts on to it.
        Out_Module* out = Module.outMod;
        while (!Shared.StopRequested && out->IsPlaying() != 0) {
            PlatformSleep(DrainPollMs);
        }
    } catch (...) {
        // Memory, or a host call that failed: the song ends here, and the host
        // is told so below as at any end, so that it moves on.
    }
    Finish();
}

void TPlayerThread::Finish()
{
    if (Shared.StopRequested) {
        Shared.PositionMS = 0.0;
    }
    Attempt([&] { Song.Stop(); });
    Attempt([&] { Module.SAVSADeInit(); });
    Shared.OutputOpen = false;
    Attempt([&] { Module.outMod->Close(); });
    if (!Shared.StopRequested) {
        Attempt([&] { PlatformPostMessage(Module.hMainWindow, WM_WA_MPEG_EOF, 0, 0); });
    }
}

void TPlayerThread::PlayPass()
{
    while (!Shared.StopRequested) {
        while (Shared.Paused && !Shared.StopRequested) {
            PlatformSleep(PausePollMs);
        }
        // Taken and cleared at once: a target set meanwhile waits for the next step.
        const int target = Shared.SeekTargetMS.exchange(-1);
        if (target >= 0) {
            Seek(target);
        }
        // The song's last step has gone out (or a seek passed its end), or
        // Stop came while a step waited for room.
        if (!Playback.Playing() || !PlayStep()) {
            break;
        }
    }
}

bool TPlayerThread::PlayStep()
{
    // A step starts once the output can take its first piece; the rest
    // follows as room appears, so any output that holds a piece keeps
    // playing, at every tempo.
    const int n = Playback.StepBytes();
    if (!WaitForRoom(std::min(n, MaxWriteBytes))) {
        return false;
    }

    const double start = Playback.PositionMs();
    Playback.Render(PlayBuffer.data(), n);
    const int timestamp = RoundMs(start);
    Module.SAAddPCMData(PlayBuffer.data(), OutputChannels, OutputBits, timestamp);
    Module.VSAAddPCMData(PlayBuffer.data(), OutputChannels, OutputBits, timestamp);

    int count = n;
    if (Module.dsp_isactive() == 1) {
        const int frames = Module.dsp_dosamples(reinterpret_cast<short*>(PlayBuffer.data()), n / OutputBytesPerFrame,
                                                OutputBits, OutputChannels, Song.Sound.Rate);
        // Never more than the buffer holds, whatever the DSP answers.
        const int bufferFrames = static_cast<int>(PlayBuffer.size() / OutputBytesPerFrame);
        count = std::clamp(frames, 0, bufferFrames) * OutputBytesPerFrame;
    }
    WriteToOutput(count, start, Playback.PositionMs());
    return true;
}

void TPlayerThread::Seek(int Target)
{
    // The host's clock shows the restart while the ticks are skipped.
    if (TDmfPlayback::MsToBytes(Target) < static_cast<double>(Playback.PositionBytes())) {
        Shared.PositionMS = 0.0;
    }
    // A target past the end stops with the song; Stop ends the skipping too.
    Playback.Seek(Target, &Shared.StopRequested);
    Shared.PositionMS = Playback.PositionMs();
    Module.outMod->Flush(RoundMs(Playback.PositionMs()));
}

bool TPlayerThread::WaitForRoom(int Wanted)
{
    Out_Module* out = Module.outMod;
    while (!Shared.StopRequested) {
        if (out->CanWrite() >= Wanted) {
            return true;
        }
        PlatformSleep(RoomPollMs);
    }
    return false;
}

void TPlayerThread::WriteToOutput(int Count, double StartMs, double EndMs)
{
    Out_Module* out = Module.outMod;
    char* data = PlayBuffer.data();
    int done = 0;
    if (Count <= 0) {
        Shared.PositionMS = EndMs;
    }
    while (done < Count && !Shared.StopRequested) {
        // Whole frames, no more than the output takes in one call.
        const int piece = std::min(Count - done, MaxWriteBytes);
        bool written = false;
        {
            // The host pauses the output under the same lock: a piece is
            // never written into a paused output, which may drop it.
            std::lock_guard<std::mutex> guard(Shared.OutputWrite);
            if (!Shared.Paused && out->CanWrite() >= piece) {
                // The position counts the step's song time as its pieces go
                // out: a long step still waiting for room is not yet heard, so
                // the host's clock must not count it. The step's end is exact.
                const int after = done + piece;
                Shared.PositionMS = after == Count ? EndMs : StartMs + (EndMs - StartMs) * after / Count;
                out->Write(data + done, piece);
                written = true;
            }
        }
        if (!written) {
            PlatformSleep(Shared.Paused ? PausePollMs : RoomPollMs);
            continue;
        }
        done += piece;
    }
}
