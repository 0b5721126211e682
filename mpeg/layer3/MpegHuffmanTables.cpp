#include "mpeg/layer3/MpegHuffmanTables.h"

#include <cstdio>
#include <vector>

#include "mpeg/layer3/MpegHuffmanCodes.h"

namespace {

using TPair = THuffmanPair;

// A code tree as linked nodes, before it is laid out as byte pairs.
struct TTrieNode {
    int Child[2] = {-1, -1};  // node followed on a 0 and a 1 bit, -1 for none
    int Leaf = -1;            // leaf byte, -1 for a branch
};

std::vector<TTrieNode> BuildTrie(const THuffmanCodeList& List)
{
    std::vector<TTrieNode> Nodes(1);
    const int Symbols = List.XLen * List.YLen;
    for (int Symbol = 0; Symbol < Symbols; ++Symbol) {
        int Node = 0;
        for (int Bit = List.Lengths[Symbol] - 1; Bit >= 0; --Bit) {
            const int Branch = (List.Codes[Symbol] >> Bit) & 1;
            if (Nodes[Node].Child[Branch] < 0) {
                Nodes[Node].Child[Branch] = static_cast<int>(Nodes.size());
                Nodes.emplace_back();
            }
            Node = Nodes[Node].Child[Branch];
        }
        const int X = Symbol / List.YLen;
        const int Y = Symbol % List.YLen;
        Nodes[Node].Leaf = X << 4 | Y;
    }
    return Nodes;
}

// Lays the trie out in preorder. A jump that would reach HuffmanExtension pairs is
// carried on by a relay pair placed exactly that far from its source, whose same
// byte continues the jump.
std::vector<TPair> LayOut(const std::vector<TTrieNode>& Nodes)
{
    struct TJump {
        int Source;  // pair holding the offset
        int Bit;     // byte of that pair
        int Target;  // trie node the jump leads to
    };
    std::vector<TPair> Pairs;
    std::vector<TJump> Open;
    std::vector<int> Stack{0};
    while (!Stack.empty()) {
        const int Node = Stack.back();
        Stack.pop_back();
        // Relays first, for every open jump that has become too long.
        for (bool Relayed = true; Relayed;) {
            Relayed = false;
            const int Here = static_cast<int>(Pairs.size());
            for (TJump& Jump : Open)
                if (Here - Jump.Source == HuffmanExtension) {
                    Pairs[Jump.Source].Byte[Jump.Bit] = HuffmanExtension;
                    Pairs.push_back({{0, 0}});
                    Jump.Source = Here;
                    Relayed = true;
                    break;
                }
        }
        const int Here = static_cast<int>(Pairs.size());
        for (size_t i = 0; i < Open.size(); ++i)
            if (Open[i].Target == Node) {
                Pairs[Open[i].Source].Byte[Open[i].Bit] = static_cast<uint8_t>(Here - Open[i].Source);
                Open.erase(Open.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        if (Nodes[Node].Leaf >= 0) {
            Pairs.push_back({{0, static_cast<uint8_t>(Nodes[Node].Leaf)}});
            continue;
        }
        // Every standard code is complete, so a branch always has both children.
        Pairs.push_back({{0, 0}});
        for (int Bit = 0; Bit < 2; ++Bit)
            Open.push_back({Here, Bit, Nodes[Node].Child[Bit]});
        Stack.push_back(Nodes[Node].Child[1]);
        Stack.push_back(Nodes[Node].Child[0]);
    }
    return Pairs;
}

// Walks every HuffmanLookupBits-bit prefix through the tree once.
std::vector<THuffmanLookup> BuildLookup(const std::vector<TPair>& Tree)
{
    std::vector<THuffmanLookup> Lookup(1u << HuffmanLookupBits);
    for (uint32_t Prefix = 0; Prefix < Lookup.size(); ++Prefix) {
        int Position = 0;
        int Used = 0;
        while (Tree[Position].Byte[0] != 0 && Used < HuffmanLookupBits) {
            const int Bit = (Prefix >> (HuffmanLookupBits - 1 - Used)) & 1;
            int Offset = Tree[Position].Byte[Bit];
            while (Offset >= HuffmanExtension) {
                Position += Offset;
                Offset = Tree[Position].Byte[Bit];
            }
            Position += Offset;
            ++Used;
        }
        if (Tree[Position].Byte[0] == 0)
            Lookup[Prefix] = {0, static_cast<uint8_t>(Used), Tree[Position].Byte[1]};
        else
            Lookup[Prefix] = {static_cast<uint16_t>(Position), 0, 0};
    }
    return Lookup;
}

struct TTableParameters {
    int XLen;      // x values
    int YLen;      // y values
    int LinBits;   // extra bits
    int TreeOf;    // table whose tree is shared, -1 for its own (or none)
};

// By table number; tables 0, 4 and 14 have no codes.
constexpr TTableParameters Parameters[HuffmanTableCount] = {
    {0, 0, 0, -1},   {2, 2, 0, -1},   {3, 3, 0, -1},   {3, 3, 0, -1},   {0, 0, 0, -1},
    {4, 4, 0, -1},   {4, 4, 0, -1},   {6, 6, 0, -1},   {6, 6, 0, -1},   {6, 6, 0, -1},
    {8, 8, 0, -1},   {8, 8, 0, -1},   {8, 8, 0, -1},   {16, 16, 0, -1}, {0, 0, 0, -1},
    {16, 16, 0, -1}, {16, 16, 1, -1}, {16, 16, 2, 16}, {16, 16, 3, 16}, {16, 16, 4, 16},
    {16, 16, 6, 16}, {16, 16, 8, 16}, {16, 16, 10, 16}, {16, 16, 13, 16}, {16, 16, 4, -1},
    {16, 16, 5, 24}, {16, 16, 6, 24}, {16, 16, 7, 24}, {16, 16, 8, 24},  {16, 16, 9, 24},
    {16, 16, 11, 24}, {16, 16, 13, 24}, {1, 16, 0, -1}, {1, 16, 0, -1},
};

class THuffmanTableSet {
public:
    THuffmanTableSet()
    {
        for (const THuffmanCodeList& List : HuffmanCodeLists) {
            Trees[List.TableNumber] = LayOut(BuildTrie(List));
            Lookups[List.TableNumber] = BuildLookup(Trees[List.TableNumber]);
        }
        for (int Number = 0; Number < HuffmanTableCount; ++Number) {
            const TTableParameters& P = Parameters[Number];
            THuffmanTable& Table = Tables[Number];
            std::snprintf(Table.Name, sizeof Table.Name, "%d", Number);
            Table.XLen = P.XLen;
            Table.YLen = P.YLen;
            Table.LinBits = P.LinBits;
            Table.LinMax = (1 << P.LinBits) - 1;
            Table.TreeOf = P.TreeOf;
            Table.Quadruple = P.XLen == 1;
            const int Own = P.TreeOf >= 0 ? P.TreeOf : Number;
            if (!Trees[Own].empty()) {
                Table.Tree = Trees[Own].data();
                Table.TreeLength = static_cast<int>(Trees[Own].size());
                Table.Lookup = Lookups[Own].data();
            }
        }
    }

    THuffmanTable Tables[HuffmanTableCount] = {};                // by number
    std::vector<TPair> Trees[HuffmanTableCount];                 // own trees by number
    std::vector<THuffmanLookup> Lookups[HuffmanTableCount];      // own lookups by number
};

}  // namespace

const THuffmanTable& HuffmanTable(int Number)
{
    static const THuffmanTableSet Set;
    if (Number < 0 || Number >= HuffmanTableCount)
        Number = 0;
    return Set.Tables[Number];
}
