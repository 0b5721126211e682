#pragma once
// morvel info [--json] FILE...: title, composer, length, counts and message of
// each module, as text or as one JSON object per line.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

// What the information load found out about one file.
struct THostSongInfo {
    std::string File;                  // the path as given
    bool Loaded = false;               // the file is a complete module
    std::string SongName;              // title field of the header
    std::string Composer;              // composer field of the header
    int32_t LengthMs = 0;              // playing time
    int32_t Patterns = 0;              // pattern count
    int32_t Tracks = 0;                // most tracks in any pattern
    int32_t Samples = 0;               // sample count
    std::vector<std::string> Message;  // message lines
    std::string Error;                 // why it is not playable (HostFileCheck); empty when it loaded
};

THostSongInfo ReadSongInfo(const std::string& Path);
// "m:ss.mmm" (minutes as many digits as needed).
std::string FormatLength(int32_t Milliseconds);
// The host's title of a song: song name, " - ", composer.
std::string SongTitle(const THostSongInfo& Info);
std::string InfoAsJson(const THostSongInfo& Info);
// The information of a song that loaded, as text.
std::string InfoAsText(const THostSongInfo& Info);

int RunInfoCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand InfoCommand;
