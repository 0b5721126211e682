#pragma once
// Hand-built MPEG audio frames and fixture access for the Layer I/II, header and
// front-end tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mpeg/MpegHandle.h"

namespace MpegTest {

// Header fields of a hand-built frame (defaults: MPEG-1 Layer II, 44.1 kHz, 128 kbit/s, stereo, no CRC).
struct TFrameFields {
    int Version = 1;         // 1 MPEG-1, 0 MPEG-2
    int Layer = 2;           // 1..3
    bool Crc = false;        // a CRC word follows the header
    int BitrateIndex = 8;    // 0..15
    int FrequencyIndex = 0;  // 0..3
    int Padding = 0;         // padding slot
    int Mode = 0;            // 0 stereo, 1 joint, 2 dual, 3 single channel
    int ModeExtension = 0;   // joint-stereo bound / Layer III stereo tools
};

uint32_t HeaderWord(const TFrameFields& Fields);
// Whole frame length in bytes, header included.
int32_t FrameBytes(const TFrameFields& Fields);
// A frame whose body is Body followed by zero bytes (a zero Layer I/II body is a
// frame of silence: every allocation is 0).
std::vector<uint8_t> Frame(const TFrameFields& Fields, const std::vector<uint8_t>& Body = {});
// Count silent frames back to back.
std::vector<uint8_t> Frames(const TFrameFields& Fields, int Count);
void Append(std::vector<uint8_t>& To, const std::vector<uint8_t>& Bytes);

std::vector<uint8_t> ReadFixture(const std::string& Name);
std::vector<int16_t> ReadPcm(const std::string& Name);
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& Bytes);

// Decodes Stream through the front end as a compressed sample is decoded (reads of
// 16384 bytes until one is shorter); Reads receives every read's result. Started,
// when given, sees the handle once MpegStart has built its decoders.
std::vector<uint8_t> DecodeAll(const std::vector<uint8_t>& Stream, std::vector<int32_t>* Reads = nullptr,
                               const std::function<void(TMpegHandle*)>& Started = {});

}  // namespace MpegTest
