#pragma once
// Import of a sample stored as an MPEG audio stream.

#include <cstdint>

class TSample;

// Keeps a copy of the stream in the sample and decodes it to 16-bit PCM at the
// stream's own rate. A stream without frames leaves the sample without PCM.
void DecodeCompressedSample(const uint8_t* Bytes, int32_t Count, TSample& Sample);
