#pragma once
// Result codes of the decoder front end: 0 success, negative failure.

#include <cstdint>

inline constexpr int32_t MpegOk = 0;
inline constexpr int32_t MpegNoHandle = -2;        // no handle given
inline constexpr int32_t MpegNoFrames = -4;        // MpegGetInfo: the stream has no frames
inline constexpr int32_t MpegNoHeader = -5;        // MpegOpen: no valid frame header found
inline constexpr int32_t MpegCannotStart = -6;     // MpegStart: no frames, or already started
inline constexpr int32_t MpegBuildFailed = -7;     // MpegStart: decoders or first frame failed
inline constexpr int32_t MpegStopFailed = -8;      // MpegStop: releasing the decoders failed
inline constexpr int32_t MpegDecodeFailed = -9;    // MpegRead: a frame failed, or no PCM came
inline constexpr int32_t MpegSeekFailed = -10;     // MpegSeek: the frame is unreachable
inline constexpr int32_t MpegCreateFailed = -100;  // MpegCreate: no handle could be made
