#pragma once
// The player thread: pulls one render step at a time from the current song
// and hands it to the host's visualisation, DSP and output.

#include <vector>

#include "plugin/PluginPlatform.h"

class TDataModule1;
class TDmf;

class TPlayerThread {
public:
    TPlayerThread(TDataModule1& Driver, TDmf& Song);
    // False when the thread could not be made.
    bool Start();
    // Waits until the run has ended (at once when it has).
    void WaitFor();

private:
    void Execute();
    void Seek(int Target);
    // Writes Count bytes of PlayBuffer; Room is what the output last reported.
    void WriteToOutput(int Count, int Room);

    TDataModule1& Driver;
    TDmf& Song;
    std::vector<char> PlayBuffer;
    TPluginThread Thread;
};
