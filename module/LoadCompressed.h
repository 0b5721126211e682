#pragma once
// Import of a sample stored as an MPEG audio stream.

#include <cstdint>

class TSample;

// Keeps a copy of the stream in the sample and decodes it to 16-bit PCM at the
// stream's own rate. A stream without frames leaves the sample without PCM.
//
// Bound: decoding stops once Wanted bytes (what the sample's record says will
// be played) and one read chunk beyond have come out, never past the 32-bit
// length; every frame takes at least a header's bytes of the stream, so the
// frames decoded are bounded by Count as well. A small stream of tiny frames
// that claims a huge sample thus costs what its record asks, not the
// two gigabytes its frames could make.
void DecodeCompressedSample(const uint8_t* Bytes, int32_t Count, TSample& Sample, int32_t Wanted = INT32_MAX);
