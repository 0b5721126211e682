#pragma once
// Winamp 5's hidden output, through which the host decodes a file for its
// format converter, ReplayGain analyser or burner when the input plug-in has
// no extended read. It plays nothing: what the plug-in writes goes to a reader
// (the converter's thread) through the reader's own buffer.
//   Open      returns 0 and, from inside the plug-in's call to it, asks the
//             plug-in for the new song's length: GetFileInfo(NULL, NULL,
//             &length), without a title buffer;
//   Write     copies into the reader's buffer; once that is full it wakes the
//             reader and blocks until the reader asks for more, or returns at
//             once when the reader has given up;
//   CanWrite  65536 while the reader's buffer has room, 0 otherwise;
//   IsPlaying, GetOutputTime and GetWrittenTime 0; Pause is a NULL pointer.
// The song's end is the plug-in's end-of-file message, which the host's
// window hands on (EndOfFile); the host then calls Stop. Out_Module's
// functions carry no context, so one hidden output at a time is live.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

#include "plugin/sdk/OutModuleBinding.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/OutputClaim.h"

class THiddenOutput {
public:
    static constexpr int Room = 65536;

    // Module: the plug-in's record, which Open asks for the song's length.
    explicit THiddenOutput(In_Module& Module);
    ~THiddenOutput();  // gives up first: no Write stays blocked on it
    THiddenOutput(const THiddenOutput&) = delete;
    THiddenOutput& operator=(const THiddenOutput&) = delete;

    Out_Module& Output() { return FOutput; }

    // ---- The reader (a thread of the host's, never the player's) ----
    // Up to Count bytes into Dest: returns once Count came, the song ended or
    // the reader gave up; 0 when nothing more will come.
    size_t Read(uint8_t* Dest, size_t Count);
    // The host's window received the plug-in's end-of-file message.
    void EndOfFile();
    // The reader stops reading: a blocked Write returns at once, and so does every later one.
    void GiveUp();

    // ---- What it saw ----
    // The length GetFileInfo gave from inside the last Open.
    std::optional<int> LengthAtOpen() const;
    int Opens() const;
    int Closes() const;
    // Until a Write waits for the reader; false when none does within the timeout.
    bool WaitUntilWriteBlocked(std::chrono::milliseconds Timeout) const;

private:
    friend class TOutModuleBinding<THiddenOutput>;

    int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs);
    void Close();
    int Write(const char* Buffer, int Length);
    int CanWrite();
    int IsPlaying() { return 0; }
    int Pause(int) { return 0; }  // the binding needs it; the record's Pause is NULL
    void SetVolume(int) { }
    void SetPan(int) { }
    void Flush(int) { }
    int GetOutputTime() { return 0; }
    int GetWrittenTime() { return 0; }
    bool HasRoomLocked() const { return Target && Filled < TargetBytes; }

    In_Module& Module;
    mutable std::mutex Mutex;
    mutable std::condition_variable Changed;
    uint8_t* Target = nullptr;  // the reader's buffer while the reader waits on it
    size_t TargetBytes = 0;
    size_t Filled = 0;
    bool Ended = false;
    bool GaveUp = false;
    bool Blocked = false;  // a Write waits for the reader
    std::optional<int> OpenLength;
    int OpenCount = 0;
    int CloseCount = 0;
    Out_Module FOutput{};
    TOutputClaim<THiddenOutput> Claim{*this, "hidden output"};  // last: let go first
};
