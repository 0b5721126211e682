#pragma once
// One instrument sample and its ready-to-mix PCM.
//
// PCM layout: Buffer holds at least Length + 32 zeroed bytes; the PCM starts at
// Data = Buffer + 16, so 16 zero bytes lie before it and at least 16 behind it
// (the mixer reads one frame ahead). Values are signed 8-bit, or signed 16-bit
// little-endian; stereo frames are left, right. All offsets are in bytes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "player/DmfLimits.h"

class TDmf;

// How the module file stores a sample's PCM.
enum class TSampleStorage : uint8_t { Raw, Packed, Mpeg };

class TSample {
public:
    explicit TSample(TDmf* owner);
    ~TSample();
    TSample(const TSample&) = delete;
    TSample& operator=(const TSample&) = delete;

    bool Empty = false;                           // holds no PCM
    bool Stereo = false;                          // frames are left, right
    int32_t Rate = 0;                             // Hz at the reference note 37
    bool Looped = false;                          // loops from LoopEnd back to LoopStart
    bool Is16Bit = false;                         // 16-bit little-endian values, else 8-bit
    int32_t Length = 0;                           // PCM length in bytes
    uint8_t Volume = 0;                           // default volume of a note given without one
    int32_t LoopStart = 0;                        // byte offset from Data
    int32_t LoopEnd = 0;                          // byte offset from Data
    bool Enabled = false;                         // a note on a disabled sample leaves its voice silent
    std::string Name;                             // at most 30 characters
    bool Compressed = false;                      // the data came from an MPEG stream
    std::vector<uint8_t> CompressedData;          // compressed source bytes, empty when none
    int32_t CompressedSize = 0;                   // byte count of CompressedData
    std::vector<uint8_t> Buffer;                  // the PCM allocation, guard bytes included
    uint8_t* Data = nullptr;                      // first PCM byte: Buffer + 16, null when none
    TDmf* Owner = nullptr;                        // the song that owns the sample
    std::array<int32_t, MaxCuePoints> CuePoints;  // byte offsets from Data; -1 = unset
    // As the file stores the PCM; the information load, which reads no PCM, sets it too.
    TSampleStorage Storage = TSampleStorage::Raw;
    // What the sample information block says of the sample, as it stands in
    // the file: both loads keep it (the information load reads no PCM, and
    // leaves the fields above empty), for a listing of the song's samples.
    // Playback reads the fields above only.
    struct TDeclared {
        std::string Name;       // at most 30 characters
        int32_t Length = 0;     // PCM bytes
        int32_t LoopStart = 0;  // byte offsets
        int32_t LoopEnd = 0;    // as stored: may lie past the length
        uint16_t Rate = 0;      // Hz at the reference note
        bool Looped = false;
        bool Is16Bit = false;
        bool Stereo = false;
    } Declared;

    // Makes a zeroed allocation of Length + Extra + 32 bytes and points Data 16
    // bytes into it (Extra: room a decoder may write past the PCM). Leaves the
    // Length field to the caller.
    uint8_t* Allocate(int32_t Length, int32_t Extra = 0);
    // Releases the PCM and the compressed copy; the sample becomes Empty with Length 0.
    void Clear();
    // Under the owner's lock: true releases the data (Clear), false only clears the flag.
    void SetEmpty(bool Value);
    void SetName(const std::string& S);
    void SetCuePoint(int Index, int32_t Value);
    int32_t GetCuePoint(int Index) const;

private:
    // Makes every voice that reads this sample's PCM inactive, before the PCM goes.
    void SilenceVoices();
};
