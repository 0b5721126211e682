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
    std::vector<TTrieNode> nodes(1);
    const int symbols = List.XLen * List.YLen;
    for (int symbol = 0; symbol < symbols; ++symbol) {
        int node = 0;
        for (int bit = List.Lengths[symbol] - 1; bit >= 0; --bit) {
            const int branch = (List.Codes[symbol] >> bit) & 1;
            if (nodes[node].Child[branch] < 0) {
                nodes[node].Child[branch] = static_cast<int>(nodes.size());
                nodes.emplace_back();
            }
            node = nodes[node].Child[branch];
        }
        const int x = symbol / List.YLen;
        const int y = symbol % List.YLen;
        nodes[node].Leaf = x << 4 | y;
    }
    return nodes;
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
    std::vector<TPair> pairs;
    std::vector<TJump> open;
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const int node = stack.back();
        stack.pop_back();
        // Relays first, for every open jump that has become too long.
        for (bool relayed = true; relayed;) {
            relayed = false;
            const int here = static_cast<int>(pairs.size());
            for (TJump& jump : open) {
                if (here - jump.Source == HuffmanExtension) {
                    pairs[jump.Source].Byte[jump.Bit] = HuffmanExtension;
                    pairs.push_back({{0, 0}});
                    jump.Source = here;
                    relayed = true;
                    break;
                }
            }
        }
        const int here = static_cast<int>(pairs.size());
        for (size_t i = 0; i < open.size(); ++i) {
            if (open[i].Target == node) {
                pairs[open[i].Source].Byte[open[i].Bit] = static_cast<uint8_t>(here - open[i].Source);
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        if (Nodes[node].Leaf >= 0) {
            pairs.push_back({{0, static_cast<uint8_t>(Nodes[node].Leaf)}});
            continue;
        }
        // Every standard code is complete, so a branch always has both children.
        pairs.push_back({{0, 0}});
        for (int bit = 0; bit < 2; ++bit) {
            open.push_back({here, bit, Nodes[node].Child[bit]});
        }
        stack.push_back(Nodes[node].Child[1]);
        stack.push_back(Nodes[node].Child[0]);
    }
    return pairs;
}

// The resolved word of a code of Length bits ending in Leaf within Prefix (the
// lookup bits), or 0 when its sign bits pass the lookup bits or a value needs
// linbits (Largest: the value that escapes to them, -1 for none).
uint16_t Resolve(uint32_t Prefix, int Bits, int Length, int Leaf, bool Quadruple, int LargestX, int LargestY)
{
    int used = Length;
    // Signs follow the code, one for each nonzero value in order; 1 means negative.
    auto signedValue = [&](int Value) {
        if (Value == 0) {
            return 0;
        }
        const int bit = used < Bits ? (Prefix >> (Bits - 1 - used)) & 1 : 0;
        ++used;
        return bit ? -Value : Value;
    };
    uint32_t resolved = 0;
    if (Quadruple) {
        for (int i = 0; i < 4; ++i) {
            resolved |= static_cast<uint32_t>(signedValue((Leaf >> (3 - i)) & 1) & 3) << (4 + 2 * i);
        }
    } else {
        const int x = Leaf >> 4;
        const int y = Leaf & 15;
        if (x == LargestX || y == LargestY) {
            return 0;
        }
        resolved |= static_cast<uint32_t>(signedValue(x) & 31) << 4;
        resolved |= static_cast<uint32_t>(signedValue(y) & 31) << 9;
    }
    if (used > Bits) {
        return 0;
    }
    return static_cast<uint16_t>(resolved | static_cast<uint32_t>(used));
}

// Walks every Bits-bit prefix through the tree once.
std::vector<THuffmanLookup> BuildLookup(const std::vector<TPair>& Tree, int Bits, bool Quadruple, int LargestX,
                                        int LargestY)
{
    std::vector<THuffmanLookup> lookup(1u << Bits);
    for (uint32_t prefix = 0; prefix < lookup.size(); ++prefix) {
        int position = 0;
        int used = 0;
        while (Tree[position].Byte[0] != 0 && used < Bits) {
            const int bit = (prefix >> (Bits - 1 - used)) & 1;
            int offset = Tree[position].Byte[bit];
            while (offset >= HuffmanExtension) {
                position += offset;
                offset = Tree[position].Byte[bit];
            }
            position += offset;
            ++used;
        }
        if (Tree[position].Byte[0] == 0) {
            lookup[prefix] = {Resolve(prefix, Bits, used, Tree[position].Byte[1], Quadruple, LargestX, LargestY),
                              static_cast<uint8_t>(used), Tree[position].Byte[1]};
        } else {
            lookup[prefix] = {static_cast<uint16_t>(position), 0, 0};
        }
    }
    return lookup;
}

struct TTableParameters {
    int XLen;     // x values
    int YLen;     // y values
    int LinBits;  // extra bits
    int TreeOf;   // table whose tree is shared, -1 for its own (or none)
};

// By table number; tables 0, 4 and 14 have no codes.
// clang-format off
constexpr TTableParameters Parameters[HuffmanTableCount] = {
    {0, 0, 0, -1},   {2, 2, 0, -1},   {3, 3, 0, -1},   {3, 3, 0, -1},   {0, 0, 0, -1},
    {4, 4, 0, -1},   {4, 4, 0, -1},   {6, 6, 0, -1},   {6, 6, 0, -1},   {6, 6, 0, -1},
    {8, 8, 0, -1},   {8, 8, 0, -1},   {8, 8, 0, -1},   {16, 16, 0, -1}, {0, 0, 0, -1},
    {16, 16, 0, -1}, {16, 16, 1, -1}, {16, 16, 2, 16}, {16, 16, 3, 16}, {16, 16, 4, 16},
    {16, 16, 6, 16}, {16, 16, 8, 16}, {16, 16, 10, 16}, {16, 16, 13, 16}, {16, 16, 4, -1},
    {16, 16, 5, 24}, {16, 16, 6, 24}, {16, 16, 7, 24}, {16, 16, 8, 24},  {16, 16, 9, 24},
    {16, 16, 11, 24}, {16, 16, 13, 24}, {1, 16, 0, -1}, {1, 16, 0, -1},
};
// clang-format on

class THuffmanTableSet {
public:
    THuffmanTableSet()
    {
        for (const THuffmanCodeList& list : HuffmanCodeLists) {
            Trees[list.TableNumber] = LayOut(BuildTrie(list));
            // The tables sharing a tree all have linbits or all have none, as its owner.
            const TTableParameters& p = Parameters[list.TableNumber];
            const bool quadruple = p.XLen == 1;
            const int largestX = p.LinBits > 0 ? p.XLen - 1 : -1;
            const int largestY = p.LinBits > 0 ? p.YLen - 1 : -1;
            Lookups[list.TableNumber] =
                BuildLookup(Trees[list.TableNumber], HuffmanLookupBits, quadruple, largestX, largestY);
        }
        for (int number = 0; number < HuffmanTableCount; ++number) {
            const TTableParameters& p = Parameters[number];
            THuffmanTable& table = Tables[number];
            std::snprintf(table.Name, sizeof table.Name, "%d", number);
            table.XLen = p.XLen;
            table.YLen = p.YLen;
            table.LinBits = p.LinBits;
            table.LinMax = (1 << p.LinBits) - 1;
            table.TreeOf = p.TreeOf;
            table.Quadruple = p.XLen == 1;
            const int own = p.TreeOf >= 0 ? p.TreeOf : number;
            if (!Trees[own].empty()) {
                table.Tree = Trees[own].data();
                table.TreeLength = static_cast<int>(Trees[own].size());
                table.Lookup = Lookups[own].data();
            }
        }
    }

    THuffmanTable Tables[HuffmanTableCount] = {};            // by number
    std::vector<TPair> Trees[HuffmanTableCount];             // own trees by number
    std::vector<THuffmanLookup> Lookups[HuffmanTableCount];  // own lookups by number
};

}  // namespace

const THuffmanTable& HuffmanTable(int Number)
{
    static const THuffmanTableSet set;
    if (Number < 0 || Number >= HuffmanTableCount) {
        Number = 0;
    }
    return set.Tables[Number];
}
