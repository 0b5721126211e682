#pragma once
// The fuzzing harnesses as plain functions: each takes one input and runs it
// through one of the player's input paths with its work bounded. The libFuzzer
// programs call one each; the regression test calls them on stored inputs.
// Each returns 0, as LLVMFuzzerTestOneInput must.

#include <cstddef>
#include <cstdint>

int FuzzInfoLoad(const uint8_t* Data, size_t Size);
int FuzzPlayback(const uint8_t* Data, size_t Size);
int FuzzMpeg(const uint8_t* Data, size_t Size);
int FuzzUnpacker(const uint8_t* Data, size_t Size);
#ifndef _WIN32
// Drives the plug-in's entry points; needs the native recording platform.
int FuzzPlugin(const uint8_t* Data, size_t Size);
// Winamp 5's optional exports of the plug-in (extended information and read).
int FuzzExtended(const uint8_t* Data, size_t Size);
#endif

struct TFuzzHarness {
    const char* Name;  // folder of its corpus and regression inputs
    int (*Run)(const uint8_t* Data, size_t Size);
};

// Every harness this build has.
inline constexpr TFuzzHarness FuzzHarnesses[] = {
    {"info", FuzzInfoLoad}, {"playback", FuzzPlayback}, {"mpeg", FuzzMpeg}, {"unpacker", FuzzUnpacker},
#ifndef _WIN32
    {"plugin", FuzzPlugin}, {"extended", FuzzExtended},
#endif
};

// Keeps the loader's diagnostic log off standard output; the log file still
// goes to the current directory (the fuzz programs run in a scratch folder).
void FuzzQuietLog();
