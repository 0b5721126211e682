// The playback driver: the host's transport calls on the current song.

#include <exception>

#include "player/DmfNumbers.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"
#include "plugin/PlayerThread.h"

int TDataModule1::morvelpluginPlay(TSender, const char* FileName)
{
    // The host stops a song before it plays another; should it not have, the
    // running thread is ended first, as Stop ends it.
    EndPlayerThread();

    std::shared_ptr<TDmf> old = CurrentSong();
    if (old)
        old->Stop();
    // The new song is loaded before anything is opened, so that a file that
    // cannot be opened leaves the output closed and the driver idle.
    auto song = std::make_shared<TDmf>();
    bool opened = true;
    try {
        song->LoadFromFile(FileName ? FileName : "");
    } catch (const std::exception&) {
        // Unopenable, or failed part way (memory): what was read is dropped,
        // and no reader or thread ever sees it.
        opened = false;
        song = std::make_shared<TDmf>();
    }
    // Readers of the current song see the old one or the new one whole.
    SetCurrentSong(song);
    old.reset();
    if (!opened)
        return -1;

    In_Module* module = Module();
    Out_Module* out = OutMod();
    const int latency = out->Open(44100, 2, 16, -1, -1);
    module->SetInfo(1411, 44, 2, 1);
    module->SAVSAInit(latency, 44100);
    module->VSASetInfo(44100, 2);
    out->SetVolume(-666);
    PositionMS = 0.0;
    SeekTargetMS = -1;
    Paused = false;

    song->Start();
    StopRequested = false;
    PlayerThread = std::make_unique<TPlayerThread>(*this, *song);
    if (!PlayerThread->Start()) {
        // No thread, no playback: undo what the host was told to expect.
        PlayerThread.reset();
        song->Stop();
        module->SAVSADeInit();
        out->Close();
        return -1;
    }
    return 0;
}

void TDataModule1::EndPlayerThread()
{
    StopRequested = true;
    Paused = false;
    if (!PlayerThread)
        return;
    PlayerThread->WaitFor();
    PlayerThread.reset();
}

void TDataModule1::morvelpluginStop(TSender)
{
    EndPlayerThread();
    const std::shared_ptr<TDmf> song = CurrentSong();
    if (song && song->Playing)
        PluginMessageBox(nullptr, "ARGHHHH!", "");
}

void TDataModule1::morvelpluginPause(TSender)
{
    OutMod()->Pause(1);
    Paused = true;
}

void TDataModule1::morvelpluginUnPause(TSender)
{
    OutMod()->Pause(0);
    Paused = false;
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
    Out_Module* out = OutMod();
    const int played = out->GetOutputTime();
    const int written = out->GetWrittenTime();
    return static_cast<int>(RoundHalfEven(PositionMS + (static_cast<double>(played) - written)));
}

void TDataModule1::morvelpluginSetOutputTime(TSender, int Value)
{
    SeekTargetMS = Value;
}

void TDataModule1::morvelpluginSetVolume(TSender, int Value)
{
    OutMod()->SetVolume(Value);
}
