#pragma once
// An output plug-in that writes what it is given to a WAV file, as a disk
// writer output does: the header at Open, its sizes completed at Close. It
// always has room and plays at once. Out_Module's functions carry no
// context, so one of these at a time is live.

#include <cstdint>
#include <cstdio>
#include <string>

#include "plugin/sdk/WinampPluginRecords.h"

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
    friend struct TWavFunctions;

    int Open(int Rate, int Channels, int Bits);
    void Close();
    void Write(const char* Buffer, int Length);
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
};
