#pragma once
// The formats morvel render writes: headerless PCM, and the sound files the
// encoder library makes of it (HostSoundFile.h). Each has a name for
// --format, the extensions a file of it is known by, and what it takes: a
// quality (the lossy ones), a rate of its own, tags, a limit to its size, a
// pipe to stream to. Adding a format is one row here and its library name in
// the encoder's body.

#include <cstdint>
#include <span>
#include <string>

enum class TSoundFormatKind : uint8_t { Raw, Wav, Flac, Vorbis, Opus, Mp3 };

struct TSoundFormat {
    TSoundFormatKind Kind;
    const char* Name;            // for --format
    const char* Extension;       // of the default output name
    const char* OtherExtension;  // another extension it is known by; null for none
    const char* Words;           // in the render's report
    double DefaultQuality;       // 0..10 for the lossy ones; negative: lossless, no quality
    int32_t Rate;                // output rate the format carries; 0: the song's
    bool Tags;                   // the song's name, composer and message go with it
    bool Streams;                // can go to a pipe (its header needs no finishing at the end)
    uint64_t MaxDataBytes;       // PCM bytes it can describe; 0: no limit
};

// Lowest and highest --quality.
inline constexpr double MinQuality = 0;
inline constexpr double MaxQuality = 10;

std::span<const TSoundFormat> SoundFormats();
const TSoundFormat& RawFormat();
const TSoundFormat& WavFormat();
// The format of that name (in any case); null when none has it.
const TSoundFormat* FormatNamed(const std::string& Name);
// The format a file name's extension (in any case) names; null when none.
const TSoundFormat* FormatOfPath(const std::string& Path);
// "raw, wav, flac, ogg, opus, mp3": for help texts and errors.
std::string FormatNameList();
bool IsLossy(const TSoundFormat& Format);
// The format carries PCM at Rate: MP3 only at the MPEG rates, Opus at its
// five; the others at any rate the player makes.
bool FormatTakesRate(const TSoundFormat& Format, int32_t Rate);
// The rates the format carries, "8000, 12000, ... or 48000", for errors;
// "any" for the formats that take every rate.
std::string FormatRateList(const TSoundFormat& Format);
