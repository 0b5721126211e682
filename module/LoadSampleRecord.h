#pragma once
// One sample's record from the sample information block, kept until the sample
// data block has used it.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "player/DmfLimits.h"

// Flag bits of a sample record.
inline constexpr uint8_t SampleFlagLooped = 0x01;
inline constexpr uint8_t SampleFlag16Bit = 0x02;
inline constexpr uint8_t SampleFlagPacked = 0x04;
inline constexpr uint8_t SampleFlagMpeg = 0x08;  // only when SampleFlagPacked is clear
inline constexpr uint8_t SampleFlagStereo = 0x10;

struct TSampleRecord {
    std::array<char, MaxSampleName> Name{};  // space-filled, then the first name bytes
    uint8_t NameLength = 0;                  // name length as stored (may exceed 30)
    int32_t Length = 0;                      // PCM bytes
    int32_t LoopStart = 0;                   // byte offset
    int32_t LoopEnd = 0;                     // byte offset
    uint16_t Rate = 0;                       // Hz at the reference note
    uint8_t Volume = 0;                      // default volume
    uint8_t Flags = 0;                       // SampleFlag* bits

    // The name as the sample keeps it: its first 30 characters.
    std::string KeptName() const { return std::string(Name.data(), std::min<size_t>(NameLength, MaxSampleName)); }
};
