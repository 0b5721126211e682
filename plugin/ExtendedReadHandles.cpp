#include "plugin/ExtendedReadHandles.h"

#include <limits>

intptr_t TExtendedReadHandles::Add(std::shared_ptr<TExtendedReader> Reader)
{
    std::lock_guard<std::mutex> guard(Lock);
    // Handles count up from 1 and are not given again while in use.
    do {
        Last = Last == std::numeric_limits<intptr_t>::max() ? 1 : Last + 1;
    } while (Readers.count(Last) != 0);
    Readers.emplace(Last, std::move(Reader));
    return Last;
}

std::shared_ptr<TExtendedReader> TExtendedReadHandles::Find(intptr_t Handle) const
{
    std::lock_guard<std::mutex> guard(Lock);
    const auto found = Readers.find(Handle);
    return found == Readers.end() ? nullptr : found->second;
}

void TExtendedReadHandles::Remove(intptr_t Handle)
{
    std::shared_ptr<TExtendedReader> reader;
    {
        std::lock_guard<std::mutex> guard(Lock);
        const auto found = Readers.find(Handle);
        if (found == Readers.end()) {
            return;
        }
        reader = std::move(found->second);
        Readers.erase(found);
    }
    // The song goes outside the lock (or with the last read still using it).
}

size_t TExtendedReadHandles::Count() const
{
    std::lock_guard<std::mutex> guard(Lock);
    return Readers.size();
}

TExtendedReadHandles& ExtendedReadHandles()
{
    static TExtendedReadHandles handles;
    return handles;
}
