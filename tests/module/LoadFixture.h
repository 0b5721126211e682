#pragma once
// Helpers of the loader tests: loading bytes from memory, capturing the
// diagnostic log, and a small well-formed song made with the module writer.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "module/LoadLog.h"
#include "platform/PlatformStream.h"
#include "player/DmfSong.h"
#include "tools/writer/WriterModule.h"

// Captures what DebugLog echoes while it lives (the log file is written as usual).
class TLogCapture {
public:
    TLogCapture() : File(std::tmpfile()) { SetDebugLogConsole(File); }
    ~TLogCapture()
    {
        SetDebugLogConsole(stdout);
        if (File) {
            std::fclose(File);
        }
    }
    TLogCapture(const TLogCapture&) = delete;
    TLogCapture& operator=(const TLogCapture&) = delete;

    // Everything echoed so far.
    std::string Text() const
    {
        std::string text;
        if (!File) {
            return text;
        }
        std::fflush(File);
        std::rewind(File);
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, File)) > 0) {
            text.append(chunk, n);
        }
        return text;
    }
    bool Has(const std::string& Line) const { return Text().find(Line + "\n") != std::string::npos; }

private:
    std::FILE* File;  // echo target
};

// Silences the log echo for quiet tests.
class TQuietLog {
public:
    TQuietLog() { SetDebugLogConsole(nullptr); }
    ~TQuietLog() { SetDebugLogConsole(stdout); }
};

inline std::unique_ptr<TDmf> LoadBytes(const std::vector<uint8_t>& Bytes)
{
    auto song = std::make_unique<TDmf>();
    TMemoryStream stream(Bytes);
    song->LoadFromStream(stream);
    return song;
}

inline std::unique_ptr<TDmf> LoadInfoBytes(const std::vector<uint8_t>& Bytes)
{
    auto song = std::make_unique<TDmf>();
    TMemoryStream stream(Bytes);
    song->LoadInfoFromStream(stream);
    return song;
}

inline std::vector<uint8_t> Ramp(size_t Length, uint8_t Step = 1)
{
    std::vector<uint8_t> pcm(Length);
    for (size_t i = 0; i < Length; ++i) {
        pcm[i] = static_cast<uint8_t>(i * Step);
    }
    return pcm;
}

// A short song of every block kind: two patterns of 4 tracks, three samples
// (raw 8-bit, packed 16-bit, raw stereo) with cue points, a message.
inline TWriterSong SmallSong()
{
    TWriterSong song;
    song.Title = "Small Song";
    song.Composer = "Tester";
    song.MessageLines = {"first line", "second line"};
    song.Sequence = {0, 1, 0};
    song.SongTracks = 4;
    for (int p = 0; p < 2; ++p) {
        TWriterPattern pattern(4, 16, 0x40);
        pattern.GlobalAt(0) = {1, 59};
        pattern.At(0, 0) = {1, 37, 200};
        pattern.At(1, 4).Instrument = 2;
        pattern.At(1, 4).Note = static_cast<uint8_t>(40 + p);
        pattern.At(2, 8) = {3, 49, 0, 6, 1};
        pattern.At(3, 12).Note = 255;
        song.Patterns.push_back(pattern);
    }
    TWriterSample raw;
    raw.Name = "raw";
    raw.Pcm = Ramp(300, 3);
    raw.CuePoints = {10, 20};
    TWriterSample packed;
    packed.Name = "packed";
    packed.Pcm = Ramp(2000, 7);
    packed.Is16Bit = true;
    packed.Looped = true;
    packed.LoopStart = 100;
    packed.LoopEnd = 1800;
    packed.Encoding = TWriterEncoding::Packed;
    TWriterSample stereo;
    stereo.Name = "stereo";
    stereo.Pcm = Ramp(400, 5);
    stereo.Stereo = true;
    stereo.CuePoints = {4};
    song.Samples = {raw, packed, stereo};
    return song;
}
