#pragma once
// morvel info [--json] [--samples] FILE...: title, composer, length, counts
// and message of each module, and its samples, as text or as one JSON object
// per line.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/HostCommand.h"

// One sample as its record in the module declares it.
struct THostSampleInfo {
    int Number = 0;               // 1-based
    std::string Name;             // Latin-1, as the module holds it
    int64_t Frames = 0;           // length in frames
    int32_t Rate = 0;             // Hz at the reference note
    bool Looped = false;          // loops from LoopStart to LoopEnd
    int64_t LoopStart = 0;        // frames
    int64_t LoopEnd = 0;          // frames, at most the length
    int Bits = 8;                 // 8 or 16
    int Channels = 1;             // 1 (mono) or 2 (stereo)
    const char* Storage = "raw";  // "raw", "packed" or "mpeg"
};

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
    std::vector<THostSampleInfo> SampleList;
    std::string Error;  // why it is not playable (HostFileCheck); empty when it loaded
};

THostSongInfo ReadSongInfo(const std::string& Path);
// "m:ss.mmm" (minutes as many digits as needed).
std::string FormatLength(int32_t Milliseconds);
// The host's title of a song: song name, " - ", composer.
std::string SongTitle(const THostSongInfo& Info);
// With Samples, "samples" is the list of the samples rather than their count.
std::string InfoAsJson(const THostSongInfo& Info, bool Samples = false);
// The information of a song that loaded, as text; with Samples, a table of
// the samples follows, its columns lined up in at most Columns.
std::string InfoAsText(const THostSongInfo& Info, bool Samples = false, int Columns = 0);
// The samples' table, its names shortened where the table would be wider
// than Columns (0: never).
std::string SamplesAsText(const std::vector<THostSampleInfo>& Samples, int Columns);

int RunInfoCommand(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
extern const THostCommand InfoCommand;
