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
// What a host shows as the stream's bit rate (1411.2 kbit/s, cut to whole ones).
inline constexpr int32_t OutputKbps = OutputBytesPerSecond * 8 / 1000;
// ... and as its sampling rate, in whole kHz.
inline constexpr int32_t OutputKhz = OutputRate / 1000;
