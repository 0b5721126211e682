#include "host/play/HostByteRing.h"

#include <algorithm>
#include <cstring>

void TByteRing::Push(const void* Bytes, size_t Length)
{
    if (Length == 0) {
        return;
    }
    if (Count + Length > Buffer.size()) {
        // Unroll into a larger allocation; the queue starts at its front again.
        std::vector<char> larger(std::max(Count + Length, Buffer.size() * 2));
        Peek(larger.data(), Count);
        Buffer.swap(larger);
        Head = 0;
    }
    const char* from = static_cast<const char*>(Bytes);
    const size_t tail = (Head + Count) % Buffer.size();
    const size_t first = std::min(Length, Buffer.size() - tail);
    std::memcpy(Buffer.data() + tail, from, first);
    std::memcpy(Buffer.data(), from + first, Length - first);
    Count += Length;
}

void TByteRing::Peek(void* Bytes, size_t Length) const
{
    Length = std::min(Length, Count);
    if (Length == 0) {
        return;
    }
    char* to = static_cast<char*>(Bytes);
    const size_t first = std::min(Length, Buffer.size() - Head);
    std::memcpy(to, Buffer.data() + Head, first);
    std::memcpy(to + first, Buffer.data(), Length - first);
}

void TByteRing::Drop(size_t Length)
{
    Length = std::min(Length, Count);
    Count -= Length;
    Head = Count == 0 ? 0 : (Head + Length) % Buffer.size();
}
