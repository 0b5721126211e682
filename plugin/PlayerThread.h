#pragma once
// The player thread: runs the playback pass over the current song, one
// render step at a time, and hands each step to the host's visualisation,
// DSP and output.

#include <vector>

#include "platform/PlatformThread.h"
#include "player/DmfPlayback.h"

class TDmf;
struct In_Module;
struct TPlayerShared;

class TPlayerThread {
public:
    // The most an output plug-in is given in one Write.
    static constexpr int MaxWriteBytes = 8192;

    // Allocates everything the run needs (throws std::bad_alloc), so that a
    // failure shows in Play, before the host's output is opened: sized for
    // the song's rate, which its settings (Song.Sound) hold from then on.
    // Shared and Module outlive the run: the driver waits for it to end.
    TPlayerThread(TPlayerShared& Shared, In_Module& Module, TDmf& Song);
    // False when the thread could not be made.
    bool Start();
    // Waits until the run has ended (at once when it has).
    void WaitFor();

private:
    // Whatever fails in the pass ends the song as its own end does.
    void Execute();
    // Runs the playback pass until the song's last step has gone out, or Stop.
    void PlayPass();
    // Renders the next render step and hands it to the host; false when Stop
    // came while it waited for the output's room.
    bool PlayStep();
    void Seek(int Target);
    // Until the output reports room for Wanted bytes; false when stopping.
    bool WaitForRoom(int Wanted);
    // Writes Count bytes of PlayBuffer in pieces the output has room for,
    // moving the play position from StartMs to EndMs as they go out.
    void WriteToOutput(int Count, double StartMs, double EndMs);
    // Stops the song, releases the host's visualisation and output and, unless
    // Stop was asked, tells the host that the file has ended.
    void Finish();

    TPlayerShared& Shared;
    In_Module& Module;
    TDmf& Song;
    // The pass's own position; Shared.PositionMS follows it as steps go out.
    TDmfPlayback Playback;
    std::vector<char> PlayBuffer;
    TPlatformThread Thread;
};
