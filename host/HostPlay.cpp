#include "host/HostPlay.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/HostAlsaOutput.h"
#include "host/HostEventQueue.h"
#include "host/HostFileCheck.h"
#include "host/HostInfo.h"
#include "host/HostOutModule.h"
#include "host/HostPlayKeys.h"
#include "host/HostPluginLibrary.h"
#include "host/HostStdoutRedirect.h"
#include "host/HostTerminal.h"
#include "host/HostText.h"
#include "module/LoadLog.h"
#include "plugin/NativeHostWindow.h"

namespace {

// Winamp's room for a title from GetFileInfo.
constexpr int TitleBufferBytes = 2048;
// How far the arrow keys move.
constexpr int SeekStepMs = 10000;
// How often the status line is redrawn.
constexpr int StatusRedrawMs = 200;

struct TPlayOptions {
    std::string Device = "default";
    std::string Plugin;  // empty: the installed library (DefaultPluginPath)
    std::vector<std::string> Files;
};

constexpr THostOption PlayOptions[] = {
    {"--device", 'd', "NAME", "the ALSA device to play on (default: default; null plays silently, at once)"},
    {"--plugin", 0, "PATH", "the plug-in library to load instead of the installed libmorvel_plugin.so"},
};

bool ParseOptions(const std::vector<std::string>& Args, TPlayOptions& Options, std::FILE* Out, std::FILE* Err,
                  int& Status)
{
    THostArgs args;
    if (!ReadCommandArgs(PlayCommand, Args, args, Out, Err, Status))
        return false;
    Options.Device = args.Value("--device", Options.Device);
    Options.Plugin = args.Value("--plugin");
    Options.Files = args.Operands;
    return true;
}

// The keys, for the help.
std::string KeysHelp()
{
    std::vector<std::pair<std::string, std::string>> keys;
    for (const TPlayKey& key : PlayKeys)
        keys.emplace_back(key.Keys, key.Action);
    return "keys (on a terminal):\n" + TwoColumnHelp(keys);
}

// "m:ss"; "-:--" for an unknown length.
std::string FormatClock(int Milliseconds)
{
    if (Milliseconds < 0)
        return "-:--";
    char text[24];
    const int seconds = Milliseconds / 1000;
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::string BaseName(const std::string& Path)
{
    const size_t slash = Path.find_last_of('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

void PostToQueue(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    static_cast<THostEventQueue*>(Window->Context)->PostMessage(Message, WParam, LParam);
}

// How the playing of one entry ended.
enum class TEntryEnd { Ended, Next, Quit, Signal };

// Walks the playlist through a loaded, initialised plug-in.
class TPlaylistPlayer {
public:
    TPlaylistPlayer(In_Module& Plugin, TAlsaOutput& Output, THostEventQueue& Events, std::FILE* Console, std::FILE* Err,
                    bool Interactive)
        : Plugin(Plugin),
          Output(Output),
          Events(Events),
          Console(Console),
          Err(Err),
          Interactive(Interactive),
          Status(Console)
    {
    }

    // Returns the exit status.
    int Play(const std::vector<std::string>& Files)
    {
        if (Interactive)
            std::fprintf(Console, "keys: space pause, left/right seek 10 s, n next, q quit\n");
        for (size_t i = 0; i < Files.size(); ++i) {
            const std::string& file = Files[i];
            // A file the plug-in cannot play would pass as a silent 0:00 song.
            const THostSongInfo check = ReadSongInfo(file);
            if (!check.Loaded) {
                ReportRefusedFile(Err, file, check.Error);
                continue;
            }
            if (!Plugin.IsOurFile(file.c_str())) {
                ReportRefusedFile(Err, file, "the plug-in does not take it");
                continue;
            }
            const std::string title = TitleOf(file, Length);
            if (Plugin.Play(file.c_str()) != 0) {
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
            if (Plugin.GetLength() > 0)
                Length = Plugin.GetLength();
            char counter[32];
            std::snprintf(counter, sizeof counter, "[%zu/%zu] ", i + 1, Files.size());
            Heading = counter + title;
            Position = 0;
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
            if (Plugin.UsesOutputPlug && !DeviceWorks())
                return 1;
            if (end == TEntryEnd::Quit)
                return 0;
            if (end == TEntryEnd::Signal)
                return 128 + SignalNumber;
        }
        return Played > 0 ? 0 : 1;
    }

private:
    // The title the plug-in gives for the playlist (the file's name when it
    // gives none) and the length it measured.
    std::string TitleOf(const std::string& File, int& LengthMs)
    {
        std::vector<char> title(TitleBufferBytes, '\0');
        LengthMs = -1;
        Plugin.GetFileInfo(File.c_str(), title.data(), &LengthMs);
        title.back() = '\0';
        std::string text(title.data());
        // The title is the file's to choose: control characters would drive the terminal.
        if (text.empty()) {
            text = BaseName(File);
            std::replace_if(
                text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
            return text;
        }
        std::replace_if(
            text.begin(), text.end(),
            [](char c) {
                const unsigned char byte = static_cast<unsigned char>(c);
                return byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
            },
            '?');
        return Latin1ToUtf8(text);
    }

    // False, after saying why, when the output could not open the device or it stopped working.
    bool DeviceWorks()
    {
        const std::string error = Output.LastError();
        if (error.empty())
            return true;
        Status.Clear();
        std::fprintf(Err, "morvel: %s\n", error.c_str());
        return false;
    }

    TEntryEnd WaitForEnd()
    {
        while (true) {
            if (Interactive)
                ShowStatus();
            const THostEvent event = Events.Wait(Interactive ? StatusRedrawMs : -1, Interactive ? InputFd : -1);
            switch (event.Kind) {
            case THostEvent::WindowMessage:
                if (event.Message == WM_WA_MPEG_EOF)
                    return TEntryEnd::Ended;
                break;
            case THostEvent::Signal:
                SignalNumber = event.Number;
                return TEntryEnd::Signal;
            case THostEvent::Input:
                for (const THostKey key : ReadKeys()) {
                    if (key == THostKey::Next)
                        return TEntryEnd::Next;
                    if (key == THostKey::Quit)
                        return TEntryEnd::Quit;
                    Act(key);
                }
                break;
            case THostEvent::Timeout:
                break;
            }
        }
    }

    std::vector<THostKey> ReadKeys()
    {
        char bytes[64];
        const ssize_t count = read(InputFd, bytes, sizeof bytes);
        if (count > 0)
            return Keys.Decode(bytes, static_cast<size_t>(count));
        if (count == 0 || (errno != EINTR && errno != EAGAIN))
            InputFd = -1;  // the terminal went away: play on without keys
        return {};
    }

    void Act(THostKey Key)
    {
        if (Key == THostKey::PauseResume) {
            if (Plugin.IsPaused())
                Plugin.UnPause();
            else
                Plugin.Pause();
        } else {
            const int step = Key == THostKey::Forward ? SeekStepMs : -SeekStepMs;
            Position = std::max(0, Plugin.GetOutputTime() + step);
            Plugin.SetOutputTime(Position);
        }
    }

    void UpdatePosition()
    {
        // While the output drains after the end, and before the first write,
        // the plug-in's clock reads 0 or less: the last position stays.
        const int now = Plugin.GetOutputTime();
        if (now > 0)
            Position = Length > 0 ? std::min(now, Length) : now;
    }

    void ShowStatus()
    {
        UpdatePosition();
        std::string text = Heading + "  " + FormatClock(Position) + " / " + FormatClock(Length);
        if (Plugin.IsPaused())
            text += "  paused";
        Status.Show(text);
    }

    In_Module& Plugin;
    TAlsaOutput& Output;
    THostEventQueue& Events;
    std::FILE* Console;
    std::FILE* Err;
    const bool Interactive;
    TStatusLine Status;
    TKeyDecoder Keys;
    int InputFd = STDIN_FILENO;
    std::string Heading;  // "[entry/count] title" of the entry playing
    int Length = -1;      // of the entry playing, ms
    int Position = 0;     // last position shown, ms
    int SignalNumber = 0;
    int Played = 0;  // entries the plug-in started
};

}  // namespace

int RunPlayCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    TPlayOptions options;
    int parseStatus = 0;
    if (!ParseOptions(Args, options, Out, Err, parseStatus))
        return parseStatus;
    if (options.Plugin.empty())
        options.Plugin = DefaultPluginPath();
    if (options.Plugin.empty()) {
        std::string places;
        for (const std::string& path : PluginSearchPaths())
            places += (places.empty() ? "" : " nor ") + path;
        std::fprintf(Err, "morvel: the plug-in library is missing: neither %s exists (--plugin names another)\n",
                     places.c_str());
        return 1;
    }

    THostEventQueue events;
    if (!events.IsOpen()) {
        std::fprintf(Err, "morvel: cannot make the event pipe: %s\n", std::strerror(errno));
        return 1;
    }
    TAlsaOutput output(options.Device);
    // The plug-in opens the device in Play and cannot report a failure: try it first.
    if (output.Open(44100, 2, 16, -1, -1) < 0) {
        std::fprintf(Err, "morvel: %s\n", output.LastError().c_str());
        return 1;
    }
    output.Close();

    // The plug-in echoes its log to standard output: while it is loaded,
    // standard output is the null device (with --log, standard error) and the
    // host writes to the original. The host's own checks of the files are
    // logged to the file only, so that --log shows each load once.
    struct TQuietHostLog {
        std::FILE* Echo = DebugLogConsole();
        TQuietHostLog() { SetDebugLogConsole(nullptr); }
        ~TQuietHostLog() { SetDebugLogConsole(Echo); }
    } quietHostLog;
    std::FILE* logEcho = quietHostLog.Echo;
    const bool toStdout = Out == stdout;
    TStdoutRedirect redirect(logEcho && logEcho != stdout ? fileno(logEcho) : -1);
    std::FILE* console = toStdout ? redirect.Console() : Out;
    TNativeHostWindow window = {&PostToQueue, &events};
    TPluginLibrary library;
    std::string error;
    if (!library.Load(options.Plugin, error)) {
        std::fprintf(Err, "morvel: %s\n", error.c_str());
        return 1;
    }
    library.Connect(window.Handle(), BindOutModule(output, window.Handle(), library.Instance()));
    In_Module& plugin = *library.Module();

    int status;
    {
        const bool interactive = isatty(STDIN_FILENO) && isatty(fileno(console));
        TQuitSignals signals(events);
        TRawTerminal terminal(interactive ? STDIN_FILENO : -1);
        plugin.Init();
        TPlaylistPlayer player(plugin, output, events, console, Err, interactive && terminal.IsRaw());
        status = player.Play(options.Files);
        plugin.Quit();
    }
    library.Unload();
    UnbindOutModule();
    return status;
}

const THostCommand PlayCommand = {
    .Name = "play",
    .Operands = "FILE...",
    .Summary = "a playlist through the plug-in, on an ALSA device",
    .About = "Plays the files in turn through the plug-in library, as Winamp drives the plug-in, on an ALSA device. "
             "Each file played gets one line on standard output; a file that is not a module is reported on "
             "standard error and skipped. On a terminal a status line shows the title and the position, and keys "
             "control playback.",
    .Options = PlayOptions,
    .MoreHelp = &KeysHelp,
    .Run = &RunPlayCommand,
};
