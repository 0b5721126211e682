#include "host/HostInfo.h"

#include <algorithm>
#include <memory>

#include "host/HostFileCheck.h"
#include "host/HostText.h"
#include "player/DmfClockText.h"
#include "player/DmfSong.h"

THostSongInfo ReadSongInfo(const std::string& Path)
{
    THostSongInfo info;
    info.File = Path;
    // The song object is large: keep it off the stack.
    auto song = std::make_unique<TDmf>();
    info.Error = LoadSongFile(*song, Path, true);
    info.Loaded = info.Error.empty();
    info.SongName = song->SongName;
    info.Composer = song->Composer;
    info.LengthMs = song->LengthMs;
    info.Patterns = song->PatternCount;
    for (int32_t p = 0; p < song->PatternCount; ++p) {
        info.Tracks = std::max(info.Tracks, song->GetPattern(p)->TrackCount);
    }
    info.Samples = song->SampleCount;
    info.Message = song->Message;
    return info;
}

std::string FormatLength(int32_t Milliseconds)
{
    char thousandths[8];
    std::snprintf(thousandths, sizeof thousandths, ".%03d", static_cast<int>(std::max(Milliseconds, 0) % 1000));
    return ClockText(Milliseconds) + thousandths;
}

std::string SongTitle(const THostSongInfo& Info)
{
    return Info.SongName + " - " + Info.Composer;
}

std::string InfoAsJson(const THostSongInfo& Info)
{
    std::string json = "{\"file\":" + JsonString(Info.File);
    json += ",\"loaded\":" + std::string(Info.Loaded ? "true" : "false");
    json += ",\"songname\":" + JsonString(Info.SongName);
    json += ",\"composer\":" + JsonString(Info.Composer);
    json += ",\"title\":" + JsonString(Info.Loaded ? SongTitle(Info) : "");
    // A file that is no module has no length (its load still measured one).
    json += ",\"length_ms\":" + (Info.Loaded ? std::to_string(Info.LengthMs) : std::string("null"));
    json += ",\"length\":" + (Info.Loaded ? JsonString(FormatLength(Info.LengthMs)) : std::string("null"));
    json += ",\"patterns\":" + std::to_string(Info.Patterns);
    json += ",\"tracks\":" + std::to_string(Info.Tracks);
    json += ",\"samples\":" + std::to_string(Info.Samples);
    json += ",\"message\":[";
    for (size_t i = 0; i < Info.Message.size(); ++i) {
        if (i) {
            json += ',';
        }
        json += JsonString(Info.Message[i]);
    }
    json += "],\"error\":" + (Info.Error.empty() ? std::string("null") : JsonString(Info.Error)) + "}";
    return json;
}

std::string InfoAsText(const THostSongInfo& Info)
{
    std::string text = "File:     " + Latin1ToUtf8(Info.File) + "\n";
    text += "Title:    " + Latin1ToUtf8(Info.SongName) + "\n";
    text += "Composer: " + Latin1ToUtf8(Info.Composer) + "\n";
    text += "Length:   " + FormatLength(Info.LengthMs) + "\n";
    text += "Patterns: " + std::to_string(Info.Patterns) + "  Tracks: " + std::to_string(Info.Tracks) +
            "  Samples: " + std::to_string(Info.Samples) + "\n";
    if (!Info.Message.empty()) {
        text += "Message:\n";
        for (const std::string& line : Info.Message) {
            text += "  " + Latin1ToUtf8(line.substr(0, line.find_last_not_of(' ') + 1)) + "\n";
        }
    }
    return text;
}

int RunInfoCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    THostArgs args;
    int status = 0;
    if (!ReadCommandArgs(InfoCommand, Args, args, Out, Err, status)) {
        return status;
    }
    const bool json = args.Has("--json");
    const std::vector<std::string>& files = args.Operands;
    bool printed = false;
    for (const std::string& file : files) {
        const THostSongInfo info = ReadSongInfo(file);
        if (!info.Loaded) {
            ReportRefusedFile(Err, file, info.Error);
            status = 1;
            if (!json) {
                continue;
            }
        }
        std::string text = json ? InfoAsJson(info) + "\n" : InfoAsText(info);
        if (!json && printed) {
            text.insert(0, 1, '\n');  // a blank line between files
        }
        std::fwrite(text.data(), 1, text.size(), Out);
        std::fflush(Out);
        printed = true;
    }
    return status;
}

namespace {

constexpr THostOption InfoOptions[] = {
    {"--json", 0, nullptr, "one JSON object per file and line"},
};

}  // namespace

const THostCommand InfoCommand = {
    .Name = "info",
    .Operands = "FILE...",
    .Summary = "title, composer, length, counts and message of modules",
    .About = "Shows the title, composer, length, pattern, track and sample counts and the message of each module. "
             "A file that is not a module is reported on standard error (with --json it also gets an object with "
             "\"loaded\": false, null lengths and the error) and the others are still shown.",
    .Options = InfoOptions,
    .MoreHelp = nullptr,
    .Run = &RunInfoCommand,
};
