#pragma once
// What a layer's frame decoder (Layer I and II, Layer III) works with: the
// stream and the current frame's header it reads, the synthesis filters and the
// PCM buffer it feeds, and the channels it decodes. None of them is the
// decoder's: the front end's handle owns them all.

#include <cstdint>

class TBitStream;
class THeader;
class TSynthesisFilter;
class TBuffer;

struct TLayerLinks {
    TBitStream* Stream = nullptr;             // frame bits
    THeader* Header = nullptr;                // the current frame's header
    TSynthesisFilter* FilterLeft = nullptr;   // synthesis of channel 0
    TSynthesisFilter* FilterRight = nullptr;  // synthesis of channel 1, null for one channel
    TBuffer* Output = nullptr;                // PCM collector
    uint8_t Channels = 0;                     // channel selection: 0 the only (left) channel, 2 both
};
