#pragma once
// Decodes a whole Layer III stream in memory with the frame reader, the Layer III
// decoder and the synthesis filters, frame by frame as the front end drives them.

#include <cstdint>
#include <string>
#include <vector>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "tests/support/TestFiles.h"

struct TDecodedStream {
    std::vector<int16_t> Pcm;             // interleaved samples of all frames
    std::vector<int32_t> SamplesByFrame;  // samples each frame added (0 for a skipped frame)
    int Channels = 0;                     // 1 or 2
    int32_t Frequency = 0;                // sampling rate in Hz
};

inline std::vector<uint8_t> ReadFixture(const std::string& Name)
{
    return ReadFileBytes(std::string(MORVEL_TEST_DATA) + "/mpeg3/" + Name);
}

inline std::vector<int16_t> ReadReferencePcm(const std::string& Name)
{
    const std::vector<uint8_t> bytes = ReadFixture(Name);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

inline TDecodedStream DecodeLayer3Stream(const std::vector<uint8_t>& Bytes)
{
    TDecodedStream result;
    TBitStream stream(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    THeader header;
    if (!header.ReadHeader(stream, nullptr)) {
        return result;
    }
    result.Channels = header.SingleChannel() ? 1 : 2;
    result.Frequency = header.Frequency();
    TSynthesisFilter left(0, 32768.0f), right(1, 32768.0f);
    TBuffer output(result.Channels);
    TLayer3Decoder decoder({&stream, &header, &left, result.Channels == 2 ? &right : nullptr, &output,
                            static_cast<uint8_t>(result.Channels == 2 ? 2 : 0)});
    do {
        decoder.DecodeFrame();
        const int32_t held = output.BytesHeld();
        std::vector<uint8_t> bytes(static_cast<size_t>(held));
        output.Read(bytes.data(), held);
        for (int32_t i = 0; i + 1 < held; i += 2) {
            result.Pcm.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
        }
        result.SamplesByFrame.push_back(held / 2);
    } while (header.ReadHeader(stream, nullptr));
    return result;
}
