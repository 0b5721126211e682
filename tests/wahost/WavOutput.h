#pragma once
// An output plug-in that writes what it is given to a WAV file, as a disk
// writer output does: the header at Open, its sizes completed at Close. It
// always has room and plays at once. Out_Module's functions carry no
// context, so one of these at a time is live (its binding's slot).

#include <cstdint>
#include <cstdio>
#include <string>

#include "plugin/sdk/OutModuleBinding.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/OutputClaim.h"

class TWavOutput {
public:
    explicit TWavOutput(std::string Path);
    ~TWavOutput();
    TWavOutput(const TWavOutput&) = delete;
    TWavOutput& operator=(const TWavOutput&) = delete;

    Out_Module& Output() { return FOutput; }
    int Opens() const { return OpenCount; }
    int Closes() const { return CloseCount; }

private:
    friend class TOutModuleBinding<TWavOutput>;

    // The output's operations; the buffer sizes a host asks for at Open do not matter to a file.
    int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs);
    void Close();
    int Write(const char* Buffer, int Length);
    int CanWrite();
    int IsPlaying() { return 0; }
    int Pause(int) { return 0; }
    void SetVolume(int) { }
    void SetPan(int) { }
    void Flush(int Ms);
    int GetOutputTime();
    int GetWrittenTime() { return GetOutputTime(); }
    int Milliseconds(int64_t Bytes) const;

    std::string Path;
    std::FILE* File = nullptr;
    int BytesPerSecond = 0;
    int64_t DataBytes = 0;   // written since Open
    int64_t ClockBytes = 0;  // written since Open or Flush
    int BaseMs = 0;          // time of the last Flush
    int OpenCount = 0;
    int CloseCount = 0;
    Out_Module FOutput{};
    TOutputClaim<TWavOutput> Claim{*this, "WAV output"};  // last: let go first
};
