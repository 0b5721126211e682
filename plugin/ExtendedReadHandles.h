#pragma once
// The extended-read decoders the host holds, by the handle it was given. Any
// thread may open, use and close them; a handle the table does not hold (never
// given, or closed) is answered as one with nothing behind it, never followed
// as an address.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "plugin/ExtendedReader.h"

class TExtendedReadHandles {
public:
    // The decoder's new handle, never 0.
    intptr_t Add(std::shared_ptr<TExtendedReader> Reader);
    // The decoder of Handle, kept alive while the caller uses it; null when none.
    std::shared_ptr<TExtendedReader> Find(intptr_t Handle) const;
    void Remove(intptr_t Handle);
    size_t Count() const;

private:
    mutable std::mutex Lock;
    std::map<intptr_t, std::shared_ptr<TExtendedReader>> Readers;
    intptr_t Last = 0;
};

// The plug-in's one table.
TExtendedReadHandles& ExtendedReadHandles();
