// The playback driver: the host's transport calls on the current song.

#include <algorithm>
#include <exception>
#include <mutex>

#include "platform/PlatformSystem.h"
#include "player/DmfNumbers.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"
#include "plugin/PlayerThread.h"

int TDataModule1::morvelpluginPlay(TSender, const char* FileName)
{
    // The host stops a song before it plays another; should it not have, the
    // running thread is ended first, as Stop ends it.
    EndPlayerThread();

    std::shared_ptr<TDmf> old = CurrentSong();
    if (old) {
        old->Stop();
    }
    // The new song is loaded, and everything its playback needs is allocated,
    // before anything is opened: a file that cannot be opened, or memory that
    // cannot be had, leaves the output closed and the driver idle.
    auto song = std::make_shared<TDmf>();
    std::unique_ptr<TPlayerThread> thread;
    try {
        song->LoadFromFile(FileName ? FileName : "");
        // The settings in force now, kept by the song while it plays, before
        // anything is sized for its rate.
        song->Sound = SoundSettings.Current();
        song->AllocateRenderBuffers();
        thread = std::make_unique<TPlayerThread>(*this, *Module(), *song);
    } catch (const std::exception&) {
        // Unopenable, or failed part way (memory): what was read is dropped,
        // and no reader or thread ever sees it.
        song.reset();
        song = std::make_shared<TDmf>();
    }
    // Readers of the current song see the old one or the new one whole.
    SetCurrentSong(song);
    old.reset();
    if (!thread) {
        return -1;
    }

    PositionMS = 0.0;
    SeekTargetMS = -1;
    Paused = false;
    In_Module* module = Module();
    Out_Module* out = OutMod();
    // Everything the host is told is at the song's rate.
    const int32_t rate = song->Sound.Rate;
    const int latency = out->Open(rate, OutputChannels, OutputBits, -1, -1);
    // No output (no sound card, a device in use): an error for the host, which
    // moves on; an output that failed to open holds nothing to close.
    if (latency < 0) {
        return 1;
    }
    OutputOpen = true;
    module->SetInfo(OutputKbpsAt(rate), rate / 1000, OutputChannels, 1);
    module->SAVSAInit(latency, rate);
    module->VSASetInfo(rate, OutputChannels);
    out->SetVolume(-666);

    song->Start();
    StopRequested = false;
    PlayerThread = std::move(thread);
    if (!PlayerThread->Start()) {
        // No thread, no playback: undo what the host was told to expect.
        PlayerThread.reset();
        song->Stop();
        module->SAVSADeInit();
        OutputOpen = false;
        out->Close();
        return -1;
    }
    return 0;
}

void TDataModule1::EndPlayerThread()
{
    StopRequested = true;
    Paused = false;
    if (!PlayerThread) {
        return;
    }
    PlayerThread->WaitFor();
    PlayerThread.reset();
}

void TDataModule1::StopPlayback()
{
    EndPlayerThread();
    // A song that ended by itself kept its end as the position until the host stopped it.
    PositionMS = 0.0;
    const std::shared_ptr<TDmf> song = CurrentSong();
    if (song && song->Playing) {
        In_Module* module = Module();
        PlatformMessageBox(module ? module->hMainWindow : nullptr, "ARGHHHH!", "");
    }
}

void TDataModule1::morvelpluginStop(TSender)
{
    StopPlayback();
}

void TDataModule1::morvelpluginPause(TSender)
{
    std::lock_guard<std::mutex> guard(OutputWrite);
    PauseOutput(1);
    Paused = true;
}

void TDataModule1::morvelpluginUnPause(TSender)
{
    std::lock_guard<std::mutex> guard(OutputWrite);
    PauseOutput(0);
    Paused = false;
}

void TDataModule1::PauseOutput(int Value)
{
    // Winamp 5's hidden output, through which it decodes for its converter,
    // has no Pause at all.
    if (Out_Module* out = OutMod(); out && out->Pause) {
        out->Pause(Value);
    }
}

bool TDataModule1::morvelpluginIsPaused(TSender)
{
    return Paused;
}

int TDataModule1::morvelpluginGetLength(TSender)
{
    const std::shared_ptr<TDmf> song = CurrentSong();
    return song ? song->LengthMs : 0;
}

int TDataModule1::morvelpluginGetOutputTime(TSender)
{
    double ms = PositionMS;
    if (OutputOpen) {
        Out_Module* out = OutMod();
        const int played = out->GetOutputTime();
        const int written = out->GetWrittenTime();
        // What the output still holds comes off the position. Once the song
        // has closed it (read after the clocks: they were an open output's
        // when it is still set), its clocks count nothing of the song (one
        // keeps its played time and drops what was written), and the
        // position alone is the clock: the song's end until Stop, then 0.
        if (OutputOpen) {
            ms += static_cast<double>(played) - written;
        }
    }
    // An output that reports its times out of step moves the clock neither
    // before the song's start nor past its end.
    const std::shared_ptr<TDmf> song = CurrentSong();
    const int64_t length = song ? std::max(song->LengthMs, 0) : 0;
    return static_cast<int>(std::clamp<int64_t>(RoundHalfEven(ms), 0, length));
}

void TDataModule1::morvelpluginSetOutputTime(TSender, int Value)
{
    SeekTargetMS = Value;
}

void TDataModule1::morvelpluginSetVolume(TSender, int Value)
{
    OutMod()->SetVolume(Value);
}
