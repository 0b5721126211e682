#pragma once
// The decoder handle and the stream information record of the front end.

#include <array>
#include <cstdint>
#include <memory>

#include "platform/PlatformLock.h"

class TBitStream;
class THeader;
class TCrc16;
class TSynthesisFilter;
class TBuffer;
class TLayer12Decoder;
class TLayer3Decoder;
class TMMAllocator;
struct TMpegHandle;

// Called after every MpegOpen with the handle and the caller's value.
using TMpegNotify = void (*)(TMpegHandle* Handle, int32_t NotifyData);

inline constexpr int SourceNameSize = 260;  // up to 259 characters and a terminating zero

// One decoded stream. Lives in a block of its TMMAllocator; made by MpegCreate,
// ended by MpegFree.
struct TMpegHandle {
    explicit TMpegHandle(TMMAllocator* Allocator);
    ~TMpegHandle();
    TMpegHandle(const TMpegHandle&) = delete;
    TMpegHandle& operator=(const TMpegHandle&) = delete;

    TCriticalSection Lock;                          // held by open, close, seek, stop and read
    std::unique_ptr<TBitStream> Stream;             // the open stream, none when closed
    std::unique_ptr<THeader> Header;                // header of the current frame, none when closed
    TCrc16* Crc = nullptr;                          // Layer I/II readers' CRC (kept as named; always null)
    std::unique_ptr<TSynthesisFilter> FilterLeft;   // synthesis of channel 0
    std::unique_ptr<TSynthesisFilter> FilterRight;  // synthesis of channel 1, two-channel output only
    std::unique_ptr<TBuffer> Output;                // decoded PCM waiting to be read
    std::unique_ptr<TLayer12Decoder> Layer12;       // present while the current layer is 1 or 2
    std::unique_ptr<TLayer3Decoder> Layer3;         // present while the current layer is 3
    float ScaleFactor = 32768.0f;                   // PCM value of full scale, for both filters
    int32_t CurrentLayer = 0;                       // layer the decoders were built for
    uint8_t PreferredChannels = 2;                  // both channels wanted
    uint8_t Channels = 2;                           // channel selection: 0 the only channel, 2 both
    char SourceName[SourceNameSize] = {};           // name given to MpegOpen, empty when closed
    bool FromMemory = false;                        // the stream reads a memory block
    int32_t SeekFrame = 0;                          // frame where decoding (re)starts
    int32_t TotalFrames = 0;                        // estimated number of frames
    int32_t TotalMs = 0;                            // exact play time when known, else 0
    bool Started = false;                           // MpegStart built the decoders
    bool EndOfStream = true;                        // no further frame header could be read
    bool AbortRequested = false;                    // ends a running MpegRead early
    TMpegNotify Notify = nullptr;                   // routine called after MpegOpen, or none
    int32_t NotifyData = 0;                         // value handed to Notify
    bool VbrHeader = false;                         // the first frame holds a VBR information header
    TMMAllocator* Allocator = nullptr;              // the allocator the handle's block goes back to
};

#pragma pack(push, 1)
// Stream information filled by MpegGetInfo (byte-packed).
struct TMpegInfo {
    uint8_t Version;      // 1 MPEG-1, 0 MPEG-2 low sampling frequency
    int32_t Layer;        // 1, 2 or 3
    int32_t NominalRate;  // 44100, 48000 or 32000 by the sampling-frequency index alone
    int32_t Frequency;    // true sampling rate in Hz
    int32_t Bitrate;      // kbit/s of the current frame; 0 for a VBR stream
    uint8_t Mode;         // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t Frames;       // estimated number of frames
    int32_t TotalMs;      // play time in ms
    double MsPerFrame;    // duration of one frame in ms
    uint8_t Tag[128];     // trailing "TAG" record, all zero when none
};
#pragma pack(pop)
static_assert(sizeof(TMpegInfo) == 162, "TMpegInfo is byte-packed");
