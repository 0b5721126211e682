#pragma once
// The decoded header of the current MPEG audio frame and the frame arithmetic.

#include <cstdint>

#include "mpeg/frame/MpegCrc16.h"

class TBitStream;

class THeader {
public:
    static constexpr int MaxCandidates = 50;  // refused header candidates before a search gives up

    // Finds and decodes the next frame header and reads the frame body. Crc, when
    // given, receives the protected header bits of a frame with CRC (the decoder's
    // interface has the parameter; the front end gives none).
    bool ReadHeader(TBitStream& Stream, TCrc16* Crc);
    // Goes back to the first frame and reads headers up to frame Frame.
    bool SeekToFrame(TBitStream& Stream, int32_t Frame);
    // Frame-count estimates from the first frame's size.
    int32_t MaxNumberOfFrames(const TBitStream& Stream) const;
    int32_t MinNumberOfFrames(const TBitStream& Stream) const;
    double MsPerFrame() const;
    float TotalMs(const TBitStream& Stream) const;
    // Bit rate of the current frame in kbit/s, 0 for free format or forbidden.
    int32_t BitrateKbps() const;
    // True sampling rate in Hz.
    int32_t Frequency() const;
    int32_t Bitrate() const;  // bit/s
    bool SingleChannel() const { return Mode == ModeSingleChannel; }
    // The accumulator of the current frame's CRC, fed its protected header bits:
    // the one given to ReadHeader, else the header's own; none for a frame without
    // CRC. Kept as the decoder's interface has it: no CRC is ever compared.
    TCrc16* CrcAccumulator() { return HasCrc ? (GivenCrc ? GivenCrc : &OwnCrc) : nullptr; }

    static constexpr uint8_t ModeStereo = 0;
    static constexpr uint8_t ModeJointStereo = 1;
    static constexpr uint8_t ModeDualChannel = 2;
    static constexpr uint8_t ModeSingleChannel = 3;

    int32_t FrameSize = 0;             // bytes of the current frame after its 4 header bytes
    int32_t FirstFrameSize = 0;        // FrameSize of the first frame found
    bool Synced = false;               // the first header was accepted; later ones must match it
    uint8_t Version = 0;               // 1 MPEG-1, 0 MPEG-2 low sampling frequency
    int32_t Layer = 0;                 // 1, 2 or 3
    int32_t ProtectionBit = 0;         // 0: a 16-bit CRC word follows the header
    int32_t BitrateIndex = 0;          // header bits 12-15
    int32_t PaddingBit = 0;            // the frame carries one padding slot
    int32_t ModeExtension = 0;         // header bits 4-5
    uint8_t Mode = 0;                  // channel mode, see the Mode* constants
    uint8_t SampleFrequency = 0;       // sampling-frequency index 0..2
    int32_t NumberOfSubbands = 0;      // subbands coded in a Layer I/II frame
    int32_t IntensityStereoBound = 0;  // first intensity-coded subband in joint stereo, else 0
    int32_t MainDataSlots = 0;         // Layer III: main-data bytes in this frame, else 0
    int32_t Checksum = 0;              // the CRC word read after a protected header (never compared)
    bool VbrHeader = false;            // the first frame holds a "Xing" or "VBRI" information header

private:
    bool AcceptFirst(uint32_t HeaderWord, TBitStream& Stream);
    bool AcceptLater(uint32_t HeaderWord);
    void ComputeFrameLayout();

    bool HasCrc = false;         // the current frame is protected
    TCrc16* GivenCrc = nullptr;  // the accumulator given for the current frame, or none
    TCrc16 OwnCrc;               // the accumulator when none is given, restarted for each frame
};
