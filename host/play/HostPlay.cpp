#include "host/play/HostPlay.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "host/HostFileCheck.h"
#include "host/HostSoundOptions.h"
#include "host/play/HostEntryTitle.h"
#include "host/play/HostEventQueue.h"
#include "host/play/HostOutModule.h"
#include "host/play/HostOutputs.h"
#include "host/play/HostPendingSeek.h"
#include "host/play/HostPlayKeys.h"
#include "host/play/HostPluginLibrary.h"
#include "host/play/HostSettingsFile.h"
#include "host/play/HostStatusLine.h"
#include "host/play/HostTerminal.h"
#include "module/LoadLog.h"
#include "platform/PlatformNativeWindow.h"
#include "platform/PlatformRawTerminal.h"
#include "platform/PlatformStdoutRedirect.h"
#include "platform/PlatformTerminal.h"
#include "player/DmfClockText.h"
#include "player/DmfOutputFormat.h"
#include "plugin/sdk/WinampPluginRecords.h"

namespace {

// Winamp's room for a title from GetFileInfo.
constexpr int TitleBufferBytes = 2048;
// How far the arrow keys move, and "," and ".".
constexpr int SeekStepMs = 10000;
constexpr int SmallSeekStepMs = 1000;
// How often the status line is redrawn.
constexpr int StatusRedrawMs = 200;
// How long an Esc waits for the rest of a sequence before it counts as the key.
constexpr int EscapeWaitMs = 100;
// How often the walk looks whether the output stopped working, when nothing else wakes it.
constexpr int OutputCheckMs = 100;

struct TPlayOptions {
    THostOutputChoice Output{nullptr, ""};
    std::string Plugin;  // empty: the installed library (DefaultPluginPath)
    TSoundSettings Sound;
    std::vector<std::string> Files;
};

constexpr THostOption PlayOptions[] = {
    {"--output", 0, "NAME",
     "pulse (a PulseAudio or PipeWire server), alsa or null (silent, at once); by default pulse when a server "
     "answers, else alsa"},
    {"--device", 'd', "NAME",
     "the output's device: a PulseAudio sink, an ALSA device (default: default); without --output an ALSA device, "
     "null playing silently"},
    {"--plugin", 0, "PATH", "the plug-in library to load instead of the installed libmorvel_plugin.so"},
    InterpolationOption,
    RateOption,
    SeparationOption,
    ClickRemovalOption,
};

bool ParseOptions(const std::vector<std::string>& Args, TPlayOptions& Options, std::FILE* Out, std::FILE* Err,
                  int& Status)
{
    THostArgs args;
    if (!ReadCommandArgs(PlayCommand, Args, args, Out, Err, Status)) {
        return false;
    }
    if (args.Has("--output")) {
        Options.Output = {OutputNamed(args.Value("--output")), args.Value("--device")};
        if (!Options.Output.Kind) {
            Status = CommandUsageError(
                PlayCommand,
                "no output is named " + args.Value("--output") + " (the outputs: " + OutputNameList() + ")", Err);
            return false;
        }
    } else {
        Options.Output = DefaultOutput(args.Value("--device"), args.Has("--device"));
    }
    std::string error;
    if (!ReadSoundOptions(args, Options.Sound, error)) {
        Status = CommandUsageError(PlayCommand, error, Err);
        return false;
    }
    Options.Plugin = args.Value("--plugin");
    Options.Files = args.Operands;
    return true;
}

// The keys, for the help.
std::string KeysHelp()
{
    std::vector<std::pair<std::string, std::string>> keys;
    for (const TPlayKey& key : PlayKeys) {
        keys.emplace_back(key.Keys, key.Action);
    }
    return "keys (on a terminal):\n" + TwoColumnHelp(keys);
}

// "m:ss"; "-:--" for an unknown length.
std::string FormatClock(int Milliseconds)
{
    return Milliseconds < 0 ? "-:--" : ClockText(Milliseconds);
}

// A stream on the terminal, closed at the end when it was opened for the purpose.
struct TTerminalClose {
    bool Opened = false;
    void operator()(std::FILE* Stream) const
    {
        if (Opened) {
            std::fclose(Stream);
        }
    }
};
using TTerminalOutput = std::unique_ptr<std::FILE, TTerminalClose>;

// Standard output when it is the terminal, else standard error, else the
// process's terminal opened anew; null when there is none.
TTerminalOutput TerminalOutput(std::FILE* Console, std::FILE* Err)
{
    if (PlatformIsTerminal(Console)) {
        return TTerminalOutput(Console);
    }
    if (PlatformIsTerminal(Err)) {
        return TTerminalOutput(Err);
    }
    std::FILE* terminal = PlatformOpenTerminal();
    return TTerminalOutput(terminal, TTerminalClose{terminal != nullptr});
}

// What the host's window stands for: the queue its posts go to, and the
// settings file it names.
struct THostWindowContext {
    THostEventQueue& Events;
    const THostSettingsFile& Settings;
};

void PostToQueue(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    static_cast<THostWindowContext*>(Window->Context)->Events.PostMessage(Message, WParam, LParam);
}

// The window's answer to the plug-in's question for the host's settings
// file, as Winamp's; 0 to every other message, as a window that does not
// know it.
intptr_t AnswerFromWindow(TNativeHostWindow* Window, unsigned Message, uintptr_t /*WParam*/, intptr_t LParam)
{
    const std::string& path = static_cast<THostWindowContext*>(Window->Context)->Settings.Path();
    if (Message == WM_WA_IPC && LParam == IPC_GETINIFILE && !path.empty()) {
        return reinterpret_cast<intptr_t>(path.c_str());
    }
    return 0;
}

void PostSignalToQueue(void* Queue, int Number)
{
    static_cast<THostEventQueue*>(Queue)->PostSignal(Number);
}

// How the playing of one entry ended: by itself, by keys that move along the
// list, by the quit key, by a signal or by the output's failure.
enum class TEntryEnd { Ended, Moved, Quit, Signal, OutputFailed };

// Walks the playlist through a loaded, initialised plug-in.
class TPlaylistPlayer {
public:
    // With a terminal (StatusOut not null) the status line goes there and the
    // keys are read from standard input.
    TPlaylistPlayer(In_Module& Plugin, THostOutput& Output, THostEventQueue& Events, std::FILE* Console, std::FILE* Err,
                    std::FILE* StatusOut)
        : Plugin(Plugin),
          Output(Output),
          Events(Events),
          Console(Console),
          Err(Err),
          StatusOut(StatusOut),
          Interactive(StatusOut != nullptr),
          Status(StatusOut ? StatusOut : Console)
    {
    }

    // Returns the exit status.
    int Play(const std::vector<std::string>& Files)
    {
        if (Interactive) {
            std::fprintf(StatusOut, "keys: space pause, arrows seek, n next, p previous, h help, q quit\n");
            std::fflush(StatusOut);
        }
        for (size_t i = 0; i < Files.size(); i = NextEntry(i)) {
            const std::string& file = Files[i];
            // A file the plug-in cannot play would pass as a silent 0:00 song.
            if (const std::string problem = ModuleFileProblem(file); !problem.empty()) {
                ReportRefusedFile(Err, file, problem);
                continue;
            }
            if (!Plugin.IsOurFile(file.c_str())) {
                ReportRefusedFile(Err, file, "the plug-in does not take it");
                continue;
            }
            const std::string title = TitleOf(file, Length);
            Output.SetStreamTitle(title);
            if (Plugin.Play(file.c_str()) != 0) {
                // 1: the output could not be opened; no other file would play either.
                if (Plugin.UsesOutputPlug && !DeviceWorks()) {
                    return 1;
                }
                const std::string problem = OpenProblem(file);
                ReportRefusedFile(Err, file, problem.empty() ? "the plug-in refused it" : problem);
                continue;
            }
            if (Plugin.UsesOutputPlug && !DeviceWorks()) {
                Plugin.Stop();
                return 1;
            }
            ++Played;
            // As Winamp does after Play: the player's volume and balance.
            Plugin.SetVolume(255);
            Plugin.SetPan(0);
            if (Plugin.GetLength() > 0) {
                Length = Plugin.GetLength();
            }
            char counter[32];
            std::snprintf(counter, sizeof counter, "[%zu/%zu]", i + 1, Files.size());
            Counter = counter;
            Title = title;
            Position = 0;
            Seek.Clear();
            const TEntryEnd end = WaitForEnd();
            UpdatePosition();
            Plugin.Stop();
            // An end-of-file message posted just before Stop belongs to the entry just ended.
            Events.DropMessages();
            Status.Clear();
            const std::string how =
                end == TEntryEnd::Ended ? "played to the end" : "stopped at " + FormatClock(Position);
            std::fprintf(Console, "%s: %s (%s), %s\n", file.c_str(), title.c_str(), FormatClock(Length).c_str(),
                         how.c_str());
            std::fflush(Console);
            if (Plugin.UsesOutputPlug && !DeviceWorks()) {
                return 1;
            }
            if (end == TEntryEnd::Quit) {
                return 0;
            }
            if (end == TEntryEnd::Signal) {
                return 128 + SignalNumber;
            }
        }
        return Played > 0 ? 0 : 1;
    }

private:
    // The title the plug-in gives for the playlist, made fit for the terminal
    // and naming the file when the song has no name, and the length it measured.
    std::string TitleOf(const std::string& File, int& LengthMs)
    {
        std::vector<char> title(TitleBufferBytes, '\0');
        LengthMs = -1;
        Plugin.GetFileInfo(File.c_str(), title.data(), &LengthMs);
        title.back() = '\0';
        return EntryTitle(title.data(), File);
    }

    // False, after saying why, when the output could not open the device or it stopped working.
    bool DeviceWorks()
    {
        const std::string error = Output.LastError();
        if (error.empty()) {
            return true;
        }
        Status.Clear();
        std::fprintf(Err, "morvel: %s\n", error.c_str());
        return false;
    }

    TEntryEnd WaitForEnd()
    {
        while (true) {
            if (Interactive) {
                ShowStatus();
            }
            // A lone Esc waits a moment for the rest of an arrow's sequence.
            const int timeout = !Interactive ? OutputCheckMs : Keys.HasPending() ? EscapeWaitMs : StatusRedrawMs;
            const THostEvent event = Events.Wait(timeout, Interactive && KeysOpen);
            // An output that stopped working (a sound server gone) ends the entry at once.
            if (Plugin.UsesOutputPlug && !Output.LastError().empty()) {
                return TEntryEnd::OutputFailed;
            }
            std::vector<THostKey> keys;
            switch (event.Kind) {
            case THostEvent::WindowMessage:
                if (event.Message == WM_WA_MPEG_EOF) {
                    Moves = 1;
                    return TEntryEnd::Ended;
                }
                break;
            case THostEvent::Signal:
                SignalNumber = event.Number;
                return TEntryEnd::Signal;
            case THostEvent::Input:
                keys = ReadKeys();
                break;
            case THostEvent::Timeout:
                if (Keys.HasPending()) {
                    keys = Keys.Flush();
                }
                break;
            }
            // Every key counts, in the order typed: "n n n" moves three entries on.
            for (const THostKey key : keys) {
                if (key == THostKey::Quit) {
                    return TEntryEnd::Quit;
                }
                Act(key);
            }
            if (Moves != 0) {
                return TEntryEnd::Moved;
            }
        }
    }

    std::vector<THostKey> ReadKeys()
    {
        char bytes[64];
        const int count = PlatformReadInput(bytes, sizeof bytes);
        if (count > 0) {
            return Keys.Decode(bytes, static_cast<size_t>(count));
        }
        if (count < 0) {
            KeysOpen = false;  // the terminal went away: play on without keys
        }
        return {};
    }

    void Act(THostKey Key)
    {
        switch (Key) {
        case THostKey::PauseResume:
            if (Plugin.IsPaused()) {
                // The plug-in seeks only once it runs again: what the output
                // holds from before the seek, and what the plug-in writes
                // before it seeks, is not to be heard first.
                if (Seek.Target(Output.LastFlush()) >= 0) {
                    Output.DropUntilFlush();
                }
                Plugin.UnPause();
            } else {
                Plugin.Pause();
            }
            break;
        case THostKey::Back:
        case THostKey::Forward:
        case THostKey::BackSecond:
        case THostKey::ForwardSecond: {
            const bool small = Key == THostKey::BackSecond || Key == THostKey::ForwardSecond;
            const bool back = Key == THostKey::Back || Key == THostKey::BackSecond;
            const int step = (small ? SmallSeekStepMs : SeekStepMs) * (back ? -1 : 1);
            UpdatePosition();
            Position = Seek.Step(step, Position, Length, Output.LastFlush());
            Plugin.SetOutputTime(Position);
            break;
        }
        case THostKey::Next:
            ++Moves;
            break;
        case THostKey::Previous:
            --Moves;
            break;
        case THostKey::Help:
            ShowKeys();
            break;
        case THostKey::Quit:
            break;
        }
    }

    // The entry after Entry, as the keys moved (Files.size() or more ends the
    // list). An entry that was not played is passed in the direction of travel.
    size_t NextEntry(size_t Entry)
    {
        if (Moves == 0) {
            if (Entry == 0) {
                Direction = 1;
            }
            return Entry + Direction;
        }
        const long long target = static_cast<long long>(Entry) + Moves;
        Direction = Moves < 0 ? -1 : 1;
        Moves = 0;
        // Back from the first entry: it starts again.
        return target < 0 ? 0 : static_cast<size_t>(target);
    }

    void ShowKeys()
    {
        Status.Clear();
        std::fprintf(StatusOut, "keys:\n");
        for (const TPlayKey& key : PlayKeys) {
            std::fprintf(StatusOut, "  %-12s %s\n", key.Keys, key.Action);
        }
        std::fflush(StatusOut);
    }

    void UpdatePosition()
    {
        // A seek not done yet shows where it goes.
        const int target = Seek.Target(Output.LastFlush());
        if (target >= 0) {
            Position = target;
            return;
        }
        // Before the first write the plug-in's clock reads 0: the last position stays.
        const int now = Plugin.GetOutputTime();
        if (now > 0) {
            Position = Length > 0 ? std::min(now, Length) : now;
        }
    }

    void ShowStatus()
    {
        UpdatePosition();
        TStatusParts parts;
        parts.Counter = Counter;
        parts.Title = Title;
        parts.Position = FormatClock(Position);
        parts.Clock = parts.Position + " / " + FormatClock(Length);
        parts.Paused = Plugin.IsPaused() != 0;
        Status.Show(parts);
    }

    In_Module& Plugin;
    THostOutput& Output;
    THostEventQueue& Events;
    std::FILE* Console;
    std::FILE* Err;
    std::FILE* StatusOut;  // the terminal's, or null
    const bool Interactive;
    TStatusLine Status;
    TKeyDecoder Keys;
    bool KeysOpen = true;  // standard input may still bring keys
    std::string Counter;   // "[entry/count]" of the entry playing
    std::string Title;     // its title
    int Length = -1;       // its length, ms
    int Position = 0;      // last position shown, ms
    TPendingSeek Seek;
    int Moves = 0;      // entries to move on (back when negative) once the entry playing ends
    int Direction = 1;  // of the last move
    int SignalNumber = 0;
    int Played = 0;  // entries the plug-in started
};

// The plug-in library to load: the one named, else the installed one. False,
// after saying where it was looked for, when there is none.
bool FindPlugin(TPlayOptions& Options, std::FILE* Err)
{
    if (Options.Plugin.empty()) {
        Options.Plugin = DefaultPluginPath();
    }
    if (!Options.Plugin.empty()) {
        return true;
    }
    std::string places;
    for (const std::string& path : PluginSearchPaths()) {
        places += (places.empty() ? "" : " nor ") + path;
    }
    std::fprintf(Err, "morvel: the plug-in library is missing: neither %s exists (--plugin names another)\n",
                 places.c_str());
    return false;
}

// The output check: a device that cannot be used is reported once, before
// any file is tried (the plug-in's Play would answer 1 for each). False after
// saying why.
bool DeviceOpens(THostOutput& Output, std::FILE* Err)
{
    if (Output.Open(OutputRate, OutputChannels, OutputBits, -1, -1) < 0) {
        std::fprintf(Err, "morvel: %s\n", Output.LastError().c_str());
        return false;
    }
    Output.Close();
    return true;
}

// Standard output while the plug-in is loaded. The plug-in echoes its log
// there: meanwhile standard output is the null device (with --log, standard
// error) and the host writes to the original, Console(). The host's own
// checks of the files are logged to the file only, so that --log shows each
// load once.
class TPlayConsole {
public:
    explicit TPlayConsole(std::FILE* Out)
        : Out(Out), Echo(DebugLogConsole()), Redirect(Echo && Echo != stdout ? Echo : nullptr)
    {
        SetDebugLogConsole(nullptr);
    }
    ~TPlayConsole() { SetDebugLogConsole(Echo); }
    TPlayConsole(const TPlayConsole&) = delete;
    TPlayConsole& operator=(const TPlayConsole&) = delete;

    // Where the host's own lines go.
    std::FILE* Console() const { return Out == stdout ? Redirect.Console() : Out; }

private:
    std::FILE* const Out;
    std::FILE* const Echo;  // where the log was echoed before
    TStdoutRedirect Redirect;
};

// Plays the files through the loaded plug-in; returns the exit status. Keys
// come from a terminal on standard input; the status line goes to the
// terminal too, also when standard output is redirected.
int PlayFiles(In_Module& Plugin, THostOutput& Output, THostEventQueue& Events, std::FILE* Console, std::FILE* Err,
              const std::vector<std::string>& Files)
{
    TTerminalOutput statusOut(PlatformInputIsTerminal() ? TerminalOutput(Console, Err) : nullptr);
    TQuitSignals signals(&PostSignalToQueue, &Events);
    TRawTerminal terminal(statusOut != nullptr);
    Plugin.Init();
    TPlaylistPlayer player(Plugin, Output, Events, Console, Err, terminal.IsRaw() ? statusOut.get() : nullptr);
    const int status = player.Play(Files);
    Plugin.Quit();
    return status;
}

}  // namespace

int RunPlayCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    TPlayOptions options;
    int status = 0;
    if (!ParseOptions(Args, options, Out, Err, status)) {
        return status;
    }
    if (!FindPlugin(options, Err)) {
        return 1;
    }
    THostEventQueue events;
    if (!events.IsOpen()) {
        std::fprintf(Err, "morvel: cannot make the event pipe: %s\n", std::strerror(errno));
        return 1;
    }
    const std::unique_ptr<THostOutput> output = options.Output.Kind->Make(options.Output.Device);
    if (!DeviceOpens(*output, Err)) {
        return 1;
    }

    TPlayConsole console(Out);
    const THostSettingsFile settings(options.Sound);
    THostWindowContext context{events, settings};
    TNativeHostWindow window = {&PostToQueue, &context, &AnswerFromWindow};
    TPluginLibrary library;
    std::string error;
    if (!library.Load(options.Plugin, error)) {
        std::fprintf(Err, "morvel: %s\n", error.c_str());
        return 1;
    }
    library.Connect(window.Handle(), BindOutModule(*output, window.Handle(), library.Instance()));
    status = PlayFiles(*library.Module(), *output, events, console.Console(), Err, options.Files);
    library.Unload();
    UnbindOutModule();
    return status;
}

const THostCommand PlayCommand = {
    .Name = "play",
    .Operands = "FILE...",
    .Summary = "a playlist through the plug-in, on PulseAudio, PipeWire or ALSA",
    .About = "Plays the files in turn through the plug-in library, as Winamp drives the plug-in, on a PulseAudio "
             "server (PulseAudio or PipeWire) when one answers, else on ALSA (--output chooses). "
             "Each file played gets one line on standard output; a file that is not a module is reported on "
             "standard error and skipped. On a terminal a status line shows the title and the position, and keys "
             "control playback.",
    .Options = PlayOptions,
    .MoreHelp = &KeysHelp,
    .Run = &RunPlayCommand,
};
