#include "tools/writer/WriterPacker.h"

#include <array>
#include <memory>
#include <queue>

void TPackBitWriter::Bit(unsigned Value)
{
    if (Value & 1u) {
        Word = static_cast<uint16_t>(Word | (1u << Used));
    }
    if (++Used == 16) {
        Out.push_back(static_cast<uint8_t>(Word & 0xFF));
        Out.push_back(static_cast<uint8_t>(Word >> 8));
        Word = 0;
        Used = 0;
    }
}

void TPackBitWriter::Bits(unsigned Value, int Count)
{
    for (int b = 0; b < Count; ++b) {
        Bit(Value >> b);
    }
}

std::vector<uint8_t> TPackBitWriter::Bytes() const
{
    std::vector<uint8_t> bytes = Out;
    if (Used > 0) {
        bytes.push_back(static_cast<uint8_t>(Word & 0xFF));
        bytes.push_back(static_cast<uint8_t>(Word >> 8));
    }
    return bytes;
}

namespace {

constexpr int Magnitudes = 128;  // 7-bit delta magnitudes

// A Huffman tree node; leaves carry a magnitude, inner nodes two children.
struct THuffNode {
    uint64_t Weight = 0;               // occurrences below this node
    int Order = 0;                     // creation order, for a deterministic tie-break
    uint8_t Value = 0;                 // magnitude of a leaf
    std::unique_ptr<THuffNode> Left;   // bit 0
    std::unique_ptr<THuffNode> Right;  // bit 1
};

struct THeavier {
    bool operator()(const THuffNode* a, const THuffNode* b) const
    {
        return a->Weight != b->Weight ? a->Weight > b->Weight : a->Order > b->Order;
    }
};

std::unique_ptr<THuffNode> BuildTree(const std::array<uint64_t, Magnitudes>& Counts)
{
    std::priority_queue<THuffNode*, std::vector<THuffNode*>, THeavier> queue;
    int order = 0;
    for (int m = 0; m < Magnitudes; ++m) {
        if (Counts[static_cast<size_t>(m)] == 0) {
            continue;
        }
        auto* leaf = new THuffNode;
        leaf->Weight = Counts[static_cast<size_t>(m)];
        leaf->Order = order++;
        leaf->Value = static_cast<uint8_t>(m);
        queue.push(leaf);
    }
    if (queue.empty()) {
        return std::make_unique<THuffNode>();  // no data: a lone root of value 0
    }
    while (queue.size() > 1) {
        std::unique_ptr<THuffNode> a(queue.top());
        queue.pop();
        std::unique_ptr<THuffNode> b(queue.top());
        queue.pop();
        auto* inner = new THuffNode;
        inner->Weight = a->Weight + b->Weight;
        inner->Order = order++;
        inner->Left = std::move(a);
        inner->Right = std::move(b);
        queue.push(inner);
    }
    return std::unique_ptr<THuffNode>(queue.top());
}

void WriteTree(const THuffNode& Node, TPackBitWriter& Bits)
{
    Bits.Bits(Node.Value, 7);
    Bits.Bit(Node.Left ? 1 : 0);
    Bits.Bit(Node.Right ? 1 : 0);
    if (Node.Left) {
        WriteTree(*Node.Left, Bits);
    }
    if (Node.Right) {
        WriteTree(*Node.Right, Bits);
    }
}

// Bit path from the root to each leaf (bit 0 first).
void CollectCodes(const THuffNode& Node, std::vector<unsigned>& Path,
                  std::array<std::vector<unsigned>, Magnitudes>& Codes)
{
    if (!Node.Left) {
        Codes[Node.Value] = Path;
        return;
    }
    Path.push_back(0);
    CollectCodes(*Node.Left, Path, Codes);
    Path.back() = 1;
    CollectCodes(*Node.Right, Path, Codes);
    Path.pop_back();
}

}  // namespace

std::vector<uint8_t> PackSample(const std::vector<uint8_t>& Pcm)
{
    // Each byte is the previous one plus a delta; a delta of 128 and more is
    // stored as the sign bit and its complement.
    std::vector<uint8_t> magnitudes(Pcm.size());
    std::vector<uint8_t> signs(Pcm.size());
    std::array<uint64_t, Magnitudes> counts{};
    uint8_t last = 0;
    for (size_t i = 0; i < Pcm.size(); ++i) {
        const uint8_t delta = static_cast<uint8_t>(Pcm[i] - last);
        last = Pcm[i];
        signs[i] = delta >= 128;
        magnitudes[i] = signs[i] ? static_cast<uint8_t>(delta ^ 0xFF) : delta;
        ++counts[magnitudes[i]];
    }

    const std::unique_ptr<THuffNode> root = BuildTree(counts);
    std::array<std::vector<unsigned>, Magnitudes> codes;
    std::vector<unsigned> path;
    CollectCodes(*root, path, codes);

    TPackBitWriter bits;
    WriteTree(*root, bits);
    for (size_t i = 0; i < Pcm.size(); ++i) {
        bits.Bit(signs[i]);
        for (const unsigned bit : codes[magnitudes[i]]) {
            bits.Bit(bit);
        }
    }
    return bits.Bytes();
}
