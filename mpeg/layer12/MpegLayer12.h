#pragma once
// Layer I and II frame decoder: brings the subband decoders in line with each
// frame, reads allocations, scale factors and samples in bit-stream order and
// hands the samples to the synthesis filters in whole blocks.

#include <array>
#include <cstdint>
#include <memory>

#include "mpeg/frame/MpegLayerLinks.h"
#include "mpeg/layer12/MpegSubband.h"

class TCrc16;

class TLayer12Decoder {
public:
    static constexpr int MaxSubbands = 32;

    // Layer: 1 or 2, the family of the subband decoders. Crc receives the
    // allocation and selection fields (the handle's, always null: no CRC is checked).
    TLayer12Decoder(const TLayerLinks& Links, int Layer, TCrc16* Crc = nullptr);
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

    TLayerLinks Links;  // stream, header, filters, PCM buffer and channel selection
    TCrc16* Crc;        // accumulator for the allocation readers, or none
    TSubbandRun Run;    // the samples of the blocks read and not yet synthesised
};
