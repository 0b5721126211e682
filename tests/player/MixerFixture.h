#pragma once
// Hand-built voices for the mixer tests: PCM laid out as a loaded sample
// (16 zero bytes before and after), voices set up field by field.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "player/DmfSong.h"
#include "tests/support/MixerProbe.h"

// The gain scale of the mixer, to compute expected values the same way.
inline constexpr float MixerGainScale = 0.003921568859f;

inline float GainOf(int Gain)
{
    return static_cast<float>(Gain) * MixerGainScale;
}

// PCM bytes with the zero guard bytes around them.
struct TTestPcm {
    std::vector<uint8_t> Buffer;  // guard, PCM, guard
    int32_t Length = 0;           // PCM bytes
    const uint8_t* Data() const { return Buffer.data() + 16; }
};

inline TTestPcm Pcm16(const std::vector<int16_t>& Values)
{
    TTestPcm pcm;
    pcm.Length = static_cast<int32_t>(Values.size() * 2);
    pcm.Buffer.assign(static_cast<size_t>(pcm.Length) + 32, 0);
    for (size_t i = 0; i < Values.size(); ++i) {
        pcm.Buffer[16 + 2 * i] = static_cast<uint8_t>(Values[i] & 0xFF);
        pcm.Buffer[16 + 2 * i + 1] = static_cast<uint8_t>((Values[i] >> 8) & 0xFF);
    }
    return pcm;
}

inline TTestPcm Pcm8(const std::vector<int8_t>& Values)
{
    TTestPcm pcm;
    pcm.Length = static_cast<int32_t>(Values.size());
    pcm.Buffer.assign(static_cast<size_t>(pcm.Length) + 32, 0);
    std::memcpy(pcm.Buffer.data() + 16, Values.data(), Values.size());
    return pcm;
}

// An active, non-looping voice at the output rate (an increment of one frame) on Pcm, with the given flags.
inline void PlayPcm(TVoice& Voice, const TTestPcm& Pcm, uint8_t Flags)
{
    Voice = TVoice{};
    Voice.Data = Pcm.Data();
    Voice.DataLength = static_cast<int32_t>(Pcm.Buffer.size()) - 16;
    Voice.EndOffset = Pcm.Length;
    Voice.Frequency = OutputRate;
    Voice.Flags = Flags;
    Voice.Active = true;
}

// Every gain of Voice, mono and stereo, a random 0..254.
inline void SetRandomGains(TVoice& Voice, std::mt19937& Random)
{
    for (int16_t* gain : {&Voice.LeftGain, &Voice.RightGain, &Voice.LeftToLeft, &Voice.LeftToRight, &Voice.RightToLeft,
                          &Voice.RightToRight}) {
        *gain = static_cast<int16_t>(Random() % 255);
    }
}

// A song object whose ticks are Frames output frames long.
inline std::unique_ptr<TDmf> SongWithTick(int32_t Frames)
{
    auto song = std::make_unique<TDmf>();
    song->BlockBytes = Frames * 4;
    return song;
}

// 16-bit output value I of the last tick.
inline int16_t TickValue(const TDmf& Song, int32_t I)
{
    const std::vector<uint8_t>& tick = TDmfMixerProbe::TickBuffer(Song);
    return static_cast<int16_t>(tick[2 * I] | (tick[2 * I + 1] << 8));
}
