#pragma once
// Decodes a whole Layer III stream in memory with the frame reader, the Layer III
// decoder and the synthesis filters, frame by frame as the front end drives them.

#include <cstdint>
#include <string>
#include <vector>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "tests/support/TestFiles.h"

struct TDecodedStream {
    std::vector<int16_t> Pcm;            // interleaved samples of all frames
    std::vector<int32_t> SamplesByFrame; // samples each frame added (0 for a skipped frame)
    int Channels = 0;                    // 1 or 2
    int32_t Frequency = 0;               // sampling rate in Hz
};

inline std::vector<uint8_t> ReadFixture(const std::string& Name)
{
    return ReadFileBytes(std::string(MORVEL_TEST_DATA) + "/mpeg3/" + Name);
}

inline std::vector<int16_t> ReadReferencePcm(const std::string& Name)
{
    const std::vector<uint8_t> Bytes = ReadFixture(Name);
    std::vector<int16_t> Samples(Bytes.size() / 2);
    for (size_t i = 0; i < Samples.size(); ++i)
        Samples[i] = static_cast<int16_t>(Bytes[2 * i] | Bytes[2 * i + 1] << 8);
    return Samples;
}

inline TDecodedStream DecodeLayer3Stream(const std::vector<uint8_t>& Bytes)
{
    TDecodedStream Result;
    TBitStream Stream(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    THeader Header;
    if (!Header.ReadHeader(Stream, nullptr))
        return Result;
    Result.Channels = Header.SingleChannel() ? 1 : 2;
    Result.Frequency = Header.Frequency();
    TSynthesisFilter Left(0, 32768.0f), Right(1, 32768.0f);
    TBuffer Output(Result.Channels);
    TLayer3Decoder Decoder(&Stream, &Header, &Left, Result.Channels == 2 ? &Right : nullptr, &Output,
                           Result.Channels == 2 ? 2 : 0);
    do {
        Decoder.DecodeFrame();
        const int32_t Held = Output.BytesHeld();
        std::vector<uint8_t> Bytes(static_cast<size_t>(Held));
        Output.Read(Bytes.data(), Held);
        for (int32_t i = 0; i + 1 < Held; i += 2)
            Result.Pcm.push_back(static_cast<int16_t>(Bytes[i] | Bytes[i + 1] << 8));
        Result.SamplesByFrame.push_back(Held / 2);
    } while (Header.ReadHeader(Stream, nullptr));
    return Result;
}
