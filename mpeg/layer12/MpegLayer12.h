#pragma once
// Layer I and II frame decoder: brings the subband decoders in line with each
// frame, reads allocations, scale factors and samples in bit-stream order and
// hands the samples to the synthesis filters in whole blocks.

#include <array>
#include <cstdint>
#include <memory>

#include "mpeg/layer12/MpegSubband.h"

class TBitStream;
class THeader;
class TCrc16;
class TSynthesisFilter;
class TBuffer;

class TLayer12Decoder {
public:
    static constexpr int MaxSubbands = 32;

    // Stream, Header, filters and Output are not owned. FilterRight is null for
    // single-channel output. Layer: 1 or 2, the family of the subband decoders.
    // Channels: 0 = the only (left) channel, 2 = both. Crc receives the allocation
    // and selection fields (the handle's, always null: no CRC is checked).
    TLayer12Decoder(TBitStream* Stream, THeader* Header, TSynthesisFilter* FilterLeft, TSynthesisFilter* FilterRight,
                    TBuffer* Output, uint8_t Channels, int Layer, TCrc16* Crc = nullptr);
    ~TLayer12Decoder();
    TLayer12Decoder(const TLayer12Decoder&) = delete;
    TLayer12Decoder& operator=(const TLayer12Decoder&) = delete;

    // Decodes the frame whose header THeader::ReadHeader has just read, appending
    // its PCM to Output.
    void DecodeFrame();

    int Layer;                                      // 1 or 2
    std::array<TSubband*, MaxSubbands> Subbands{};  // the current frame's subband decoders in order (not owned)
    // Decoders of coded channels: the plain kind in single-channel frames, the stereo
    // kind otherwise (below the intensity bound in joint stereo).
    std::array<std::unique_ptr<TSubband>, MaxSubbands> StereoSubbands;
    std::array<std::unique_ptr<TSubband>, MaxSubbands> IntensitySubbands;  // joint stereo from the bound up
    int32_t SubbandCount = 0;                                              // live entries of Subbands
    int32_t StereoSubbandCount = 0;                                        // objects made in StereoSubbands
    int32_t IntensitySubbandCount = 0;                                     // objects made in IntensitySubbands
    int32_t SubbandMode = -1;  // channel mode the subband objects serve; -1 none

private:
    // Brings the subband objects in line with the current frame and lists them in Subbands.
    void PrepareSubbands();
    void FreeSubbands();

    TBitStream* Stream;             // frame bits (not owned)
    THeader* Header;                // the current frame's header (not owned)
    TSynthesisFilter* FilterLeft;   // synthesis of channel 0 (not owned)
    TSynthesisFilter* FilterRight;  // synthesis of channel 1, null for one channel (not owned)
    TBuffer* Output;                // PCM collector (not owned)
    uint8_t Channels;               // channel selection: 0 the only or left channel, 2 both
    TCrc16* Crc;                    // accumulator for the allocation readers, or none
    TSubbandRun Run;                // the samples of the blocks read and not yet synthesised
};
