#pragma once
// A Winamp host for tests: an output plug-in, the visualisation, DSP and
// information functions of In_Module, and a main window, all recording every
// call the plug-in makes (name, integer arguments, calling thread) in order.
// The records' functions carry no context, so one recorder at a time is live
// and its plain functions reach it through the output binding's slot.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/PlatformNativeWindow.h"
#include "plugin/sdk/OutModuleBinding.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/ModelOutput.h"
#include "tests/support/OutputClaim.h"

struct THostCall {
    std::string Name;           // the function's name in its record ("Write", "SAAddPCMData", ...)
    std::vector<int64_t> Args;  // integer arguments in order; buffers are left out
    int64_t Result = 0;         // what the host answered, for functions with a result
    std::thread::id Thread;
};

struct TPostedMessage {
    unsigned Message;
    uintptr_t WParam;
    intptr_t LParam;
    std::thread::id Thread;  // the poster's; a real window's own thread, which received it
};

// How the output's played time follows what was written to it.
enum class TOutputClock {
    Instant,  // written audio counts as played at once: IsPlaying is 0
    Lagging,  // played time trails the written time by the latency
    Manual,   // played time moves only when the test advances it
};

class TRecordingHost {
public:
    static constexpr std::chrono::milliseconds DefaultTimeout{60000};
    static constexpr int AmpleRoom = 64 << 20;

    TRecordingHost();
    ~TRecordingHost();
    TRecordingHost(const TRecordingHost&) = delete;
    TRecordingHost& operator=(const TRecordingHost&) = delete;

    // Fills the host's fields of the record: main window, output, visualisation,
    // DSP and SetInfo. hDllInstance is left as it is.
    void Attach(In_Module& Module);
    Out_Module& Output() { return FOutput; }
    HWND MainWindow() { return RealWindow ? RealWindow : Window.Handle(); }
    // A real main window (Windows) in place of the stand-in: Attach hands it
    // to the plug-in, and its window procedure passes what it receives to Receive.
    void UseMainWindow(HWND Handle) { RealWindow = Handle; }
    // A message the real main window received, recorded as posted.
    void Receive(unsigned Message, uintptr_t WParam, intptr_t LParam);
    // What the main window does with a message once it is recorded, on the
    // thread it arrives on: the poster's for the stand-in window (the player
    // thread: nothing there may wait for the player), the window's own for a
    // real one.
    void SetWindowProcedure(std::function<void(unsigned Message)> Procedure);
    // The path the main window answers when the plug-in asks for the host's
    // settings file (IPC_GETINIFILE); empty: it answers 0, as a host from
    // before that question does. The answer, a char* (the real main window
    // answers with it as well).
    void SetSettingsFile(const std::string& Path);
    intptr_t SettingsFileAnswer() const;

    // ---- Behaviour (any time, from any thread) ----
    // Bytes the output holds at most: CanWrite answers this less what is
    // written and not yet played.
    void SetCapacity(int Bytes);
    // What Open returns (negative: the output cannot be opened); also the
    // lag of the Lagging clock.
    void SetLatency(int Ms);
    void SetClock(TOutputClock Clock);
    // Manual clock: plays Ms more of what was written (never past it).
    void AdvancePlayed(double Ms);
    // Everything written counts as played, now and from now on until the next Open.
    void Drain();
    // Keep the written PCM (on by default).
    void KeepPcm(bool Keep);
    // dsp_isactive answers Active; dsp_dosamples returns the frames it got plus
    // ExtraFrames, and fills the added frames (up to as many as it got, the
    // room a host's DSP may use) with DspFill.
    void SetDsp(int Active, int ExtraFrames);
    static constexpr uint8_t DspFill = 0x5A;
    // SAAddPCMData throws while Fail is set: a host call failing on the
    // player thread (in process only: no exception crosses a DLL's border).
    void FailVisualisation(bool Fail);
    // One of Winamp's own outputs in place of the recording one (its clock,
    // room, pausing and drops; SetCapacity, SetLatency and SetClock no longer
    // apply), until UseRecordingOutput. Pcm() then holds what it kept.
    void UseModelOutput(TOutputModel Model, int BufferBytes, double Speed);
    void UseRecordingOutput();
    // Of the model output: bytes dropped and the longest Write.
    int64_t DroppedBytes() const;
    int LargestWrite() const;

    // ---- The output's clock as the plug-in sees it ----
    double WrittenMs() const;
    double PlayedMs() const;

    // ---- What was recorded ----
    std::vector<THostCall> Calls() const;
    std::vector<THostCall> CallsNamed(const std::string& Name) const;
    int Count(const std::string& Name) const;
    // Call names in order without the output's polled queries (CanWrite,
    // IsPlaying, GetOutputTime, GetWrittenTime).
    std::vector<std::string> Events() const;
    std::vector<TPostedMessage> Posted() const;
    int EndOfFileMessages() const;
    std::vector<uint8_t> Pcm() const;
    int64_t BytesWritten() const;  // since the recorder was made or cleared
    void ClearCalls();

    // ---- Waiting (polls; false when the timeout passes) ----
    bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout = DefaultTimeout) const;
    bool WaitForCall(const std::string& Name, int Count = 1) const;
    bool WaitForEndOfFile(int Count = 1) const;
    // Until the player polls CanWrite twice in a row with no other call
    // between: it is waiting for room (or waiting at all, with Manual clock).
    bool WaitUntilWaitingForRoom() const;
    // Until the player asks IsPlaying: it waits for the output to drain.
    bool WaitUntilDraining() const { return WaitForCall("IsPlaying"); }

private:
    friend struct THostFunctions;
    friend class TOutModuleBinding<TRecordingHost>;

    // Appends a call to the log; the caller holds Mutex.
    void RecordLocked(std::string Name, std::vector<int64_t> Args, int64_t Result = 0);
    void Record(std::string Name, std::vector<int64_t> Args, int64_t Result = 0);
    int64_t PlayedBytesLocked() const;

    // Host side of the calls (the output's Config, About, Init and Quit are recorded as "Out.Config", ...).
    void Config(HWND Parent);
    void About(HWND Parent);
    void Init();
    void Quit();
    int Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs);
    void Close();
    int Write(const char* Buffer, int Length);
    int CanWrite();
    int IsPlaying();
    int Pause(int Paused);
    void SetVolume(int Volume);
    void SetPan(int Pan);
    void Flush(int Ms);
    int GetOutputTime();
    int GetWrittenTime();
    int DspDoSamples(short* Samples, int Frames, int Bits, int Channels, int Rate);
    void Post(unsigned Message, uintptr_t WParam, intptr_t LParam);

    mutable std::mutex Mutex;
    mutable std::condition_variable Changed;
    std::vector<THostCall> Log;
    std::vector<TPostedMessage> Messages;
    std::vector<uint8_t> Written;
    int64_t TotalBytes = 0;

    // Output state; the clock restarts at Open and at Flush.
    TOutputClock Clock = TOutputClock::Instant;
    int Capacity = AmpleRoom;
    int Latency = 0;
    bool Keep = true;
    bool Drained = false;
    double BaseMs = 0;              // time of the last Flush
    int64_t ClockBytes = 0;         // written since Open or Flush
    int64_t ManualPlayedBytes = 0;  // played since Open or Flush (Manual clock)
    bool VisualisationFails = false;
    int DspActive = 0;
    int DspExtra = 0;

    std::optional<TModelOutput> Model;
    std::function<void(unsigned)> WindowProcedure;
    std::string SettingsFile;

    Out_Module FOutput{};
    TNativeHostWindow Window{};
    HWND RealWindow = nullptr;
    TOutputClaim<TRecordingHost> Claim{*this, "recording host"};  // last: let go first
};
