#include "host/HostInfo.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "host/HostText.h"
#include "player/DmfSong.h"

THostSongInfo ReadSongInfo(const std::string& Path)
{
    THostSongInfo info;
    info.File = Path;
    try {
        // The song object is large: keep it off the stack.
        auto song = std::make_unique<TDmf>();
        song->LoadInfoFromFile(Path);
        info.Loaded = song->Loaded;
        info.SongName = song->SongName;
        info.Composer = song->Composer;
        info.LengthMs = song->LengthMs;
        info.Patterns = song->PatternCount;
        for (int32_t p = 0; p < song->PatternCount; ++p)
            info.Tracks = std::max(info.Tracks, song->GetPattern(p)->TrackCount);
        info.Samples = song->SampleCount;
        info.Message = song->Message;
        if (!info.Loaded)
            info.Error = "Not a module: no end block in " + Path;
    } catch (const std::exception& error) {
        info = THostSongInfo{};
        info.File = Path;
        info.Error = error.what();
    }
    return info;
}

std::string FormatLength(int32_t Milliseconds)
{
    const int32_t ms = std::max(Milliseconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, (ms / 1000) % 60, ms % 1000);
    return text;
}

std::string SongTitle(const THostSongInfo& Info) { return Info.SongName + " - " + Info.Composer; }

std::string InfoAsJson(const THostSongInfo& Info)
{
    std::string json = "{\"file\":" + JsonString(Info.File);
    json += ",\"loaded\":" + std::string(Info.Loaded ? "true" : "false");
    json += ",\"songname\":" + JsonString(Info.SongName);
    json += ",\"composer\":" + JsonString(Info.Composer);
    json += ",\"title\":" + JsonString(Info.Loaded ? SongTitle(Info) : "");
    json += ",\"length_ms\":" + std::to_string(Info.LengthMs);
    json += ",\"length\":" + JsonString(FormatLength(Info.LengthMs));
    json += ",\"patterns\":" + std::to_string(Info.Patterns);
    json += ",\"tracks\":" + std::to_string(Info.Tracks);
    json += ",\"samples\":" + std::to_string(Info.Samples);
    json += ",\"message\":[";
    for (size_t i = 0; i < Info.Message.size(); ++i) {
        if (i)
            json += ',';
        json += JsonString(Info.Message[i]);
    }
    json += "],\"error\":" + (Info.Error.empty() ? std::string("null") : JsonString(Info.Error)) + "}";
    return json;
}

std::string InfoAsText(const THostSongInfo& Info)
{
    std::string text = "File:     " + Latin1ToUtf8(Info.File) + "\n";
    if (!Info.Loaded)
        return text + "Error:    " + Latin1ToUtf8(Info.Error) + "\n";
    text += "Title:    " + Latin1ToUtf8(Info.SongName) + "\n";
    text += "Composer: " + Latin1ToUtf8(Info.Composer) + "\n";
    text += "Length:   " + FormatLength(Info.LengthMs) + "\n";
    text += "Patterns: " + std::to_string(Info.Patterns) + "  Tracks: " + std::to_string(Info.Tracks) +
            "  Samples: " + std::to_string(Info.Samples) + "\n";
    if (!Info.Message.empty()) {
        text += "Message:\n";
        for (const std::string& line : Info.Message)
            text += "  " + Latin1ToUtf8(line.substr(0, line.find_last_not_of(' ') + 1)) + "\n";
    }
    return text;
}

int RunInfoCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : Args) {
        if (arg == "--json")
            json = true;
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(Err, "usage: morvel info [--json] FILE...\n");
        return 2;
    }
    int status = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const THostSongInfo info = ReadSongInfo(files[i]);
        if (!info.Loaded)
            status = 1;
        std::string text = json ? InfoAsJson(info) + "\n" : InfoAsText(info);
        if (!json && i)
            text.insert(0, 1, '\n');  // a blank line between files
        std::fwrite(text.data(), 1, text.size(), Out);
        std::fflush(Out);
    }
    return status;
}

const THostCommand InfoCommand = {"info", "[--json] FILE...", "title, composer, length and message of modules",
                                  &RunInfoCommand};
