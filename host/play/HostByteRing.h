#pragma once
// A first-in first-out queue of bytes in one circular allocation. It grows when
// a push does not fit, so a writer that ignores the free room loses nothing.

#include <cstddef>
#include <vector>

class TByteRing {
public:
    explicit TByteRing(size_t Capacity = 0) : Buffer(Capacity) { }

    size_t Size() const { return Count; }
    size_t Capacity() const { return Buffer.size(); }
    void Push(const void* Bytes, size_t Length);
    // Copies the first Length bytes (at most Size()) without taking them out.
    void Peek(void* Bytes, size_t Length) const;
    // Takes out the first Length bytes (at most Size()).
    void Drop(size_t Length);
    void Clear() { Head = Count = 0; }

private:
    std::vector<char> Buffer;
    size_t Head = 0;   // offset of the first byte held
    size_t Count = 0;  // bytes held
};
