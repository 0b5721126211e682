#include "module/LoadUnpacker.h"

#include <algorithm>

int64_t TSampleUnpacker::InputLimitFor(int32_t Stored)
{
    const int64_t bytes = std::max<int64_t>(Stored, 0);
    return ((bytes + InputBytes - 1) / InputBytes + 1) * InputBytes;
}

void TSampleUnpacker::RefillInput()
{
    const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(InputBytes, InputLeft));
    const int32_t got = wanted > 0 ? Source.Read(Input.data(), wanted) : 0;
    InputLeft -= std::max(got, 0);
    if (got <= 0) {
        EndOfInput = true;
    }
    WordIndex = 0;
}

void TSampleUnpacker::NextBit()
{
    --BitsLeft;
    if (BitsLeft != 0) {
        return;
    }
    if (WordIndex >= InputWords) {
        RefillInput();
    }
    const size_t at = static_cast<size_t>(WordIndex) * 2;
    BitWord = static_cast<uint16_t>(Input[at] | (Input[at + 1] << 8));
    ++WordIndex;
    BitsLeft = 16;
}

unsigned TSampleUnpacker::TakeBit()
{
    NextBit();
    const unsigned bit = BitWord & 1u;
    BitWord = static_cast<uint16_t>(BitWord >> 1);
    return bit;
}

bool TSampleUnpacker::ReadTreeNode()
{
    // Each call creates one node, so the recursion is at most MaxNodes deep.
    if (NodeCount >= MaxNodes) {
        return false;
    }
    TNode& node = Nodes[NodeCount];
    unsigned value = 0;
    for (int b = 0; b < 7; ++b) {
        value |= TakeBit() << b;
    }
    node.Value = static_cast<uint8_t>(value);
    const bool hasLeft = TakeBit() != 0;
    const bool hasRight = TakeBit() != 0;
    ++NodeCount;
    if (hasLeft) {
        node.Left = NodeCount;
        if (!ReadTreeNode()) {
            return false;
        }
    }
    if (hasRight) {
        node.Right = NodeCount;
        if (!ReadTreeNode()) {
            return false;
        }
    }
    return true;
}

bool TSampleUnpacker::InitUnpacker()
{
    Nodes.fill(TNode{});
    LastOutput = 0;
    NodeCount = 0;
    BitWord = 0;
    BitsLeft = 1;
    EndOfInput = false;
    WordIndex = InputWords;
    return ReadTreeNode();
}

int32_t TSampleUnpacker::UnpackBytes(uint8_t* Dest, int32_t Count)
{
    int32_t produced = 0;
    while (produced < Count) {
        const bool negative = TakeBit() != 0;
        const TNode* node = &Nodes[0];
        while (node->Left != NoChild && node->Right != NoChild) {
            node = &Nodes[TakeBit() ? node->Right : node->Left];
        }
        uint8_t delta = node->Value;
        if (negative) {
            delta = static_cast<uint8_t>(delta ^ 0xFF);
        }
        LastOutput = static_cast<uint8_t>(LastOutput + delta);
        Dest[produced++] = LastOutput;
        if (EndOfInput) {
            break;
        }
    }
    return produced;
}
