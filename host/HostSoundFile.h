#pragma once
// A sound file encoded from the output's PCM (16-bit stereo, interleaved) by
// the encoder library, libsndfile: WAV, FLAC, Ogg Vorbis, Ogg Opus, MP3 with
// their tags. Every call into the library is in this class's body
// (HostSoundFileNative.cpp); a build without the library (the Windows one)
// has none of these formats, and Open says so.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/HostSoundFormat.h"

struct sf_private_tag;  // the library's SNDFILE

// What goes into a file's tags, as UTF-8; an empty text is left out.
struct TSoundTags {
    std::string Title;
    std::string Artist;
    std::string Comment;
    std::string Software;
};

// What a sound file holds and how it is encoded.
struct TSoundFileSpec {
    const TSoundFormat* Format = nullptr;  // not raw
    int32_t Rate = 0;                      // frames per second
    double Quality = -1;                   // 0..10 for a lossy format; negative: its default
    TSoundTags Tags;                       // written where the format has them
};

// True when this build has the encoder library.
bool SoundFilesAvailable();

class TSoundFile {
public:
    TSoundFile() = default;
    ~TSoundFile();  // ends the file unfinished when Finish was not called
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    // Starts the file on Stream (a file opened for writing, or standard
    // output), written through its descriptor from here on; false, with the
    // reason in Error, when the library refuses it.
    bool Open(std::FILE* Stream, const TSoundFileSpec& Spec, std::string& Error);
    // Encodes Frames frames of interleaved 16-bit stereo; false when the library fails.
    bool Write(const int16_t* Samples, int64_t Frames);
    // Ends the file (the library finishes its header and flushes); false,
    // with the reason in Error, when that fails.
    bool Finish(std::string& Error);

private:
    sf_private_tag* File = nullptr;
    // The library's 16-bit path into MP3 (libsndfile 1.2.0) garbles the
    // sound; its 32-bit one does not: such a format's PCM goes through Wide.
    bool WriteWide = false;
    std::vector<int32_t> Wide;
};
