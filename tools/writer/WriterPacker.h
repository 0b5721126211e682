#pragma once
// Packing of sample data: byte deltas as a sign bit and a 7-bit magnitude,
// the magnitudes Huffman-coded with a tree stored in pre-order. Bits go into
// 16-bit little-endian words from the least significant bit up.

#include <cstdint>
#include <vector>

// Collects bits into little-endian 16-bit words.
class TPackBitWriter {
public:
    void Bit(unsigned Value);
    // Count bits of Value, least significant first.
    void Bits(unsigned Value, int Count);
    // The words so far, the last one padded with zero bits.
    std::vector<uint8_t> Bytes() const;

private:
    std::vector<uint8_t> Out;  // completed words
    uint16_t Word = 0;         // word being filled
    int Used = 0;              // bits of Word filled
};

// The packed form of Pcm (any byte stream; 16-bit data is packed byte by byte).
std::vector<uint8_t> PackSample(const std::vector<uint8_t>& Pcm);
