#include "tests/support/RecordingHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "player/DmfOutputFormat.h"

namespace {

// The host functions reach the live recorder through its claim of the output's slot.
TRecordingHost& Live()
{
    TRecordingHost* host = TOutputClaim<TRecordingHost>::Held();
    if (!host) {
        throw std::logic_error("a host function was called with no recorder alive");
    }
    return *host;
}

}  // namespace

// The plain functions placed in In_Module, each forwarding to the live recorder.
struct THostFunctions {
    static void SAVSAInit(int Latency, int Rate) { Live().Record("SAVSAInit", {Latency, Rate}); }
    static void SAVSADeInit() { Live().Record("SAVSADeInit", {}); }
    static void SAAddPCMData(void*, int Channels, int Bits, int Time)
    {
        TRecordingHost& host = Live();
        std::lock_guard<std::mutex> lock(host.Mutex);
        host.RecordLocked("SAAddPCMData", {Channels, Bits, Time});
        if (host.VisualisationFails) {
            throw std::runtime_error("the visualisation failed");
        }
    }
    static int SAGetMode()
    {
        Live().Record("SAGetMode", {});
        return 0;
    }
    static int SAAdd(void*, int Time, int Csa)
    {
        Live().Record("SAAdd", {Time, Csa});
        return 0;
    }
    static void VSAAddPCMData(void*, int Channels, int Bits, int Time)
    {
        Live().Record("VSAAddPCMData", {Channels, Bits, Time});
    }
    static int VSAGetMode(int*, int*)
    {
        Live().Record("VSAGetMode", {});
        return 0;
    }
    static int VSAAdd(void*, int Time)
    {
        Live().Record("VSAAdd", {Time});
        return 0;
    }
    static void VSASetInfo(int Rate, int Channels) { Live().Record("VSASetInfo", {Rate, Channels}); }
    static int DspIsActive()
    {
        TRecordingHost& host = Live();
        std::lock_guard<std::mutex> lock(host.Mutex);
        host.RecordLocked("dsp_isactive", {}, host.DspActive);
        return host.DspActive;
    }
    static int DspDoSamples(short* Samples, int Frames, int Bits, int Channels, int Rate)
    {
        return Live().DspDoSamples(Samples, Frames, Bits, Channels, Rate);
    }
    static void SetInfo(int Bitrate, int Rate, int Stereo, int Synched)
    {
        Live().Record("SetInfo", {Bitrate, Rate, Stereo, Synched});
    }
    static void PostMessage(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
    {
        static_cast<TRecordingHost*>(Window->Context)->Post(Message, WParam, LParam);
    }
    static intptr_t SendMessage(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
    {
        const auto* host = static_cast<TRecordingHost*>(Window->Context);
        return Message == WM_WA_IPC && WParam == 0 && LParam == IPC_GETINIFILE ? host->SettingsFileAnswer() : 0;
    }
};

TRecordingHost::TRecordingHost()
{
    FOutput = TOutModuleBinding<TRecordingHost>::Record("Recording output");
    Window.PostMessage = &THostFunctions::PostMessage;
    Window.SendMessage = &THostFunctions::SendMessage;
    Window.Context = this;
}

TRecordingHost::~TRecordingHost() = default;

void TRecordingHost::Attach(In_Module& Module)
{
    Module.hMainWindow = MainWindow();
    Module.SAVSAInit = &THostFunctions::SAVSAInit;
    Module.SAVSADeInit = &THostFunctions::SAVSADeInit;
    Module.SAAddPCMData = &THostFunctions::SAAddPCMData;
    Module.SAGetMode = &THostFunctions::SAGetMode;
    Module.SAAdd = &THostFunctions::SAAdd;
    Module.VSAAddPCMData = &THostFunctions::VSAAddPCMData;
    Module.VSAGetMode = &THostFunctions::VSAGetMode;
    Module.VSAAdd = &THostFunctions::VSAAdd;
    Module.VSASetInfo = &THostFunctions::VSASetInfo;
    Module.dsp_isactive = &THostFunctions::DspIsActive;
    Module.dsp_dosamples = &THostFunctions::DspDoSamples;
    Module.SetInfo = &THostFunctions::SetInfo;
    Module.outMod = &FOutput;
}

// ---- Behaviour ---------------------------------------------------------------

void TRecordingHost::SetCapacity(int Bytes)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Capacity = Bytes;
}

void TRecordingHost::SetLatency(int Ms)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Latency = Ms;
}

void TRecordingHost::SetClock(TOutputClock Value)
{
    std::lock_guard<std::mutex> lock(Mutex);
    // A clock taking over goes on from what was played so far.
    ManualPlayedBytes = PlayedBytesLocked();
    Clock = Value;
}

void TRecordingHost::AdvancePlayed(double Ms)
{
    std::lock_guard<std::mutex> lock(Mutex);
    ManualPlayedBytes = std::min<int64_t>(ClockBytes, ManualPlayedBytes + std::llround(Ms * OutputBytesPerMs));
}

void TRecordingHost::Drain()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Drained = true;
}

void TRecordingHost::KeepPcm(bool Value)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Keep = Value;
}

void TRecordingHost::UseModelOutput(TOutputModel Kind, int BufferBytes, double Speed)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Model.emplace(Kind, BufferBytes, Speed);
}

void TRecordingHost::UseRecordingOutput()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Model.reset();
}

int64_t TRecordingHost::DroppedBytes() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Model ? Model->Dropped() : 0;
}

int TRecordingHost::LargestWrite() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Model ? Model->LargestWrite() : 0;
}

void TRecordingHost::SetWindowProcedure(std::function<void(unsigned Message)> Procedure)
{
    std::lock_guard<std::mutex> lock(Mutex);
    WindowProcedure = std::move(Procedure);
}

void TRecordingHost::SetSettingsFile(const std::string& Path)
{
    std::lock_guard<std::mutex> lock(Mutex);
    SettingsFile = Path;
}

intptr_t TRecordingHost::SettingsFileAnswer() const
{
    // The plug-in reads the path while the host holds it; the test changes it
    // only between the plug-in's calls.
    std::lock_guard<std::mutex> lock(Mutex);
    return SettingsFile.empty() ? 0 : reinterpret_cast<intptr_t>(SettingsFile.c_str());
}

void TRecordingHost::FailVisualisation(bool Fail)
{
    std::lock_guard<std::mutex> lock(Mutex);
    VisualisationFails = Fail;
}

void TRecordingHost::SetDsp(int Active, int ExtraFrames)
{
    std::lock_guard<std::mutex> lock(Mutex);
    DspActive = Active;
    DspExtra = ExtraFrames;
}

// ---- Clock -------------------------------------------------------------------

int64_t TRecordingHost::PlayedBytesLocked() const
{
    if (Drained || Clock == TOutputClock::Instant) {
        return ClockBytes;
    }
    if (Clock == TOutputClock::Lagging) {
        return std::max<int64_t>(0, ClockBytes - static_cast<int64_t>(std::llround(Latency * OutputBytesPerMs)));
    }
    return std::min(ClockBytes, ManualPlayedBytes);
}

double TRecordingHost::WrittenMs() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return BaseMs + static_cast<double>(ClockBytes) / OutputBytesPerMs;
}

double TRecordingHost::PlayedMs() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return BaseMs + static_cast<double>(PlayedBytesLocked()) / OutputBytesPerMs;
}

// ---- Host side of the calls ----------------------------------------------------

void TRecordingHost::RecordLocked(std::string Name, std::vector<int64_t> Args, int64_t Result)
{
    Log.push_back({std::move(Name), std::move(Args), Result, std::this_thread::get_id()});
    Changed.notify_all();
}

void TRecordingHost::Record(std::string Name, std::vector<int64_t> Args, int64_t Result)
{
    std::lock_guard<std::mutex> lock(Mutex);
    RecordLocked(std::move(Name), std::move(Args), Result);
}

void TRecordingHost::Config(HWND)
{
    Record("Out.Config", {});
}

void TRecordingHost::About(HWND)
{
    Record("Out.About", {});
}

void TRecordingHost::Init()
{
    Record("Out.Init", {});
}

void TRecordingHost::Quit()
{
    Record("Out.Quit", {});
}

int TRecordingHost::Open(int Rate, int Channels, int Bits, int BufferMs, int PrebufferMs)
{
    std::lock_guard<std::mutex> lock(Mutex);
    BaseMs = 0;
    ClockBytes = 0;
    ManualPlayedBytes = 0;
    Drained = false;
    const int latency = Model ? Model->Open() : Latency;
    RecordLocked("Open", {Rate, Channels, Bits, BufferMs, PrebufferMs}, latency);
    return latency;
}

void TRecordingHost::Close()
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Model) {
        Model->Close();
    }
    RecordLocked("Close", {});
}

int TRecordingHost::Write(const char* Buffer, int Length)
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Model) {
        const int kept = Model->Write(Length);
        if (Keep && kept > 0) {
            Written.insert(Written.end(), Buffer, Buffer + kept);
        }
        TotalBytes += kept;
        RecordLocked("Write", {Length});
        return 0;
    }
    if (Keep && Length > 0) {
        Written.insert(Written.end(), Buffer, Buffer + Length);
    }
    if (Length > 0) {
        ClockBytes += Length;
        TotalBytes += Length;
    }
    RecordLocked("Write", {Length});
    return 0;
}

int TRecordingHost::CanWrite()
{
    std::lock_guard<std::mutex> lock(Mutex);
    const int64_t held = ClockBytes - PlayedBytesLocked();
    const int room = Model ? Model->CanWrite() : static_cast<int>(std::max<int64_t>(0, Capacity - held));
    RecordLocked("CanWrite", {}, room);
    return room;
}

int TRecordingHost::IsPlaying()
{
    std::lock_guard<std::mutex> lock(Mutex);
    const int playing = Model ? Model->IsPlaying() : PlayedBytesLocked() < ClockBytes ? 1 : 0;
    RecordLocked("IsPlaying", {}, playing);
    return playing;
}

int TRecordingHost::Pause(int Paused)
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Model) {
        Model->Pause(Paused != 0);
    }
    RecordLocked("Pause", {Paused});
    return 0;
}

void TRecordingHost::SetVolume(int Volume)
{
    Record("SetVolume", {Volume});
}

void TRecordingHost::SetPan(int Pan)
{
    Record("SetPan", {Pan});
}

void TRecordingHost::Flush(int Ms)
{
    std::lock_guard<std::mutex> lock(Mutex);
    BaseMs = Ms;
    ClockBytes = 0;
    ManualPlayedBytes = 0;
    if (Model) {
        Model->Flush(Ms);
    }
    RecordLocked("Flush", {Ms});
}

int TRecordingHost::GetOutputTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    const int ms =
        Model ? Model->OutputTimeMs()
              : static_cast<int>(std::floor(BaseMs + static_cast<double>(PlayedBytesLocked()) / OutputBytesPerMs));
    RecordLocked("GetOutputTime", {}, ms);
    return ms;
}

int TRecordingHost::GetWrittenTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    const int ms = Model ? Model->WrittenTimeMs()
                         : static_cast<int>(std::floor(BaseMs + static_cast<double>(ClockBytes) / OutputBytesPerMs));
    RecordLocked("GetWrittenTime", {}, ms);
    return ms;
}

int TRecordingHost::DspDoSamples(short* Samples, int Frames, int Bits, int Channels, int Rate)
{
    std::lock_guard<std::mutex> lock(Mutex);
    const int result = Frames + DspExtra;
    // A host's DSP may at most double the frames in the buffer it was given.
    const int added = std::clamp(DspExtra, 0, Frames);
    if (added > 0) {
        std::memset(reinterpret_cast<uint8_t*>(Samples) + 4 * static_cast<size_t>(Frames), DspFill,
                    4 * static_cast<size_t>(added));
    }
    RecordLocked("dsp_dosamples", {Frames, Bits, Channels, Rate}, result);
    return result;
}

void TRecordingHost::Post(unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    std::function<void(unsigned)> procedure;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Messages.push_back({Message, WParam, LParam, std::this_thread::get_id()});
        RecordLocked("PostMessage",
                     {static_cast<int64_t>(Message), static_cast<int64_t>(WParam), static_cast<int64_t>(LParam)});
        procedure = WindowProcedure;
    }
    // Outside the lock: the window may call the plug-in, which calls the host.
    if (procedure) {
        procedure(Message);
    }
}

void TRecordingHost::Receive(unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    Post(Message, WParam, LParam);
}

// ---- What was recorded -----------------------------------------------------------

std::vector<THostCall> TRecordingHost::Calls() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Log;
}

std::vector<THostCall> TRecordingHost::CallsNamed(const std::string& Name) const
{
    std::lock_guard<std::mutex> lock(Mutex);
    std::vector<THostCall> calls;
    for (const THostCall& call : Log) {
        if (call.Name == Name) {
            calls.push_back(call);
        }
    }
    return calls;
}

int TRecordingHost::Count(const std::string& Name) const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return static_cast<int>(
        std::count_if(Log.begin(), Log.end(), [&](const THostCall& Call) { return Call.Name == Name; }));
}

std::vector<std::string> TRecordingHost::Events() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    std::vector<std::string> names;
    for (const THostCall& call : Log) {
        if (call.Name != "CanWrite" && call.Name != "IsPlaying" && call.Name != "GetOutputTime" &&
            call.Name != "GetWrittenTime") {
            names.push_back(call.Name);
        }
    }
    return names;
}

std::vector<TPostedMessage> TRecordingHost::Posted() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Messages;
}

int TRecordingHost::EndOfFileMessages() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return static_cast<int>(std::count_if(Messages.begin(), Messages.end(), [](const TPostedMessage& Posted) {
        return Posted.Message == WM_WA_MPEG_EOF && Posted.WParam == 0 && Posted.LParam == 0;
    }));
}

std::vector<uint8_t> TRecordingHost::Pcm() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Written;
}

int64_t TRecordingHost::BytesWritten() const
{
    std::lock_guard<std::mutex> lock(Mutex);
    return TotalBytes;
}

void TRecordingHost::ClearCalls()
{
    std::lock_guard<std::mutex> lock(Mutex);
    Log.clear();
    Messages.clear();
    Written.clear();
    TotalBytes = 0;
}

// ---- Waiting ---------------------------------------------------------------------

bool TRecordingHost::WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Woken by each recorded call; the short bound serves conditions on
        // state outside the recorder.
        std::unique_lock<std::mutex> lock(Mutex);
        Changed.wait_for(lock, std::chrono::milliseconds(2));
    }
    return true;
}

bool TRecordingHost::WaitForCall(const std::string& Name, int Number) const
{
    return WaitUntil([&] { return Count(Name) >= Number; });
}

bool TRecordingHost::WaitForEndOfFile(int Number) const
{
    return WaitUntil([&] { return EndOfFileMessages() >= Number; });
}

bool TRecordingHost::WaitUntilWaitingForRoom() const
{
    return WaitUntil([&] {
        std::lock_guard<std::mutex> lock(Mutex);
        const size_t n = Log.size();
        return n >= 2 && Log[n - 1].Name == "CanWrite" && Log[n - 2].Name == "CanWrite";
    });
}
