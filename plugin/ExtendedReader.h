#pragma once
// One decoder of Winamp 5's extended read, which the converter, the ReplayGain
// analyser and the burner use instead of playing a file: a song of its own,
// loaded whole, played from its start by the playback pass and handed out as
// morvel render writes it (the same bytes, the same total), in whatever
// portions the host asks for. Nothing of it is shared with the playing song.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "player/DmfPlayback.h"
#include "player/DmfSoundSettings.h"

class TDmf;
class TStream;

class TExtendedReader {
public:
    // The file's decoder, ready to hand out its first byte, the song sounding
    // as Sound says; null when the file holds no module. Throws
    // EFileOpenError when the file cannot be opened, std::bad_alloc when the
    // memory it needs cannot be had.
    static std::unique_ptr<TExtendedReader> Open(const char* Name, const TSoundSettings& Sound);
    static std::unique_ptr<TExtendedReader> Open(const wchar_t* Name, const TSoundSettings& Sound);
    ~TExtendedReader();
    TExtendedReader(const TExtendedReader&) = delete;
    TExtendedReader& operator=(const TExtendedReader&) = delete;

    // The bytes of the whole song: its length at its rate.
    uint64_t TotalBytes() const { return Total; }
    // The frames per second it is handed out at.
    int32_t Rate() const;
    // Up to Count bytes of PCM into Dest: fewer at the song's end, none after
    // it. Stop, set by another thread, ends the reading after the render step
    // under way (a null Stop never does).
    size_t Read(char* Dest, size_t Count, int* Stop);
    // Moves to Ms as a seek of the playback pass lands (at the end of the
    // first tick at or after it, or at the song's end); reading goes on from there.
    void Seek(int Ms);

private:
    explicit TExtendedReader(std::unique_ptr<TDmf> Song);
    static std::unique_ptr<TExtendedReader> FromStream(TStream& File, const TSoundSettings& Sound);

    std::mutex Busy;  // one call at a time per decoder, whatever the host's threads do
    std::unique_ptr<TDmf> Song;
    TDmfPlayback Playback;
    uint64_t Total = 0;  // what morvel render writes of the song
};
