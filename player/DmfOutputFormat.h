#pragma once
// The one format every driver hands out and announces: 44100 Hz, 16-bit
// stereo PCM, little-endian, channels interleaved.

#include <cstdint>

inline constexpr int32_t OutputRate = 44100;  // frames per second
inline constexpr int32_t OutputChannels = 2;
inline constexpr int32_t OutputBits = 16;  // per sample
inline constexpr int32_t OutputBytesPerFrame = OutputChannels * OutputBits / 8;
inline constexpr int32_t OutputBytesPerSecond = OutputRate * OutputBytesPerFrame;
inline constexpr double OutputBytesPerMs = OutputBytesPerSecond / 1000.0;
// What a host shows as the bit rate of this PCM at Rate frames per second,
// in whole kbit/s (1411.2 cut to 1411 at 44100 Hz); its sampling rate it
// shows in whole kHz (Rate / 1000).
constexpr int32_t OutputKbpsAt(int32_t Rate)
{
    return static_cast<int32_t>(int64_t{Rate} * OutputBytesPerFrame * 8 / 1000);
}

// The format in words, for the texts a program prints ("morvel render --help").
// A string literal, so that texts can be joined to it where they are written;
// the check below holds it to the numbers above.
#define DMF_OUTPUT_FORMAT_WORDS "44100 Hz 16-bit stereo"

namespace DmfOutputFormatWords {
// The decimal number at Text[At], and where it ends.
constexpr int32_t NumberAt(const char* Text, int& At)
{
    int32_t value = 0;
    while (Text[At] >= '0' && Text[At] <= '9') {
        value = value * 10 + (Text[At] - '0');
        ++At;
    }
    return value;
}
constexpr bool FollowedBy(const char* Text, int& At, const char* Expected)
{
    for (; *Expected != '\0'; ++Expected, ++At) {
        if (Text[At] != *Expected) {
            return false;
        }
    }
    return true;
}
constexpr bool Match(const char* Text)
{
    int at = 0;
    return NumberAt(Text, at) == OutputRate && FollowedBy(Text, at, " Hz ") && NumberAt(Text, at) == OutputBits &&
           FollowedBy(Text, at, "-bit ") && OutputChannels == 2 && FollowedBy(Text, at, "stereo") && Text[at] == '\0';
}
}  // namespace DmfOutputFormatWords
static_assert(DmfOutputFormatWords::Match(DMF_OUTPUT_FORMAT_WORDS), "the format's words differ from its numbers");
