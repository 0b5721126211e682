#pragma once
// The answers of the last file's information load, kept for the questions
// that follow: Winamp 5's media library and title formatting ask a file for
// one field at a time, ten in a row, and each would load it anew (and log the
// load anew). The file is still opened for every question; what was kept
// answers while the file's name, size and last write time are the ones it
// was read with. Any thread may ask; a load runs outside the lock.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

template <class TChar> class TSongFieldCache {
public:
    using TValues = std::vector<std::string>;

    struct TStamp {
        std::basic_string<TChar> Name;
        int64_t Size = -1;
        int64_t WriteTime = 0;
        bool operator==(const TStamp&) const = default;
    };

    // The values for the file Stamp describes: those kept when it is the one
    // they were read from, else Load()'s, kept from then on.
    template <class TLoad> std::shared_ptr<const TValues> Get(const TStamp& Stamp, TLoad&& Load)
    {
        {
            std::lock_guard<std::mutex> guard(Lock);
            if (Values && Kept == Stamp) {
                return Values;
            }
        }
        auto values = std::make_shared<const TValues>(Load());
        std::lock_guard<std::mutex> guard(Lock);
        Kept = Stamp;
        Values = values;
        return values;
    }

private:
    std::mutex Lock;
    TStamp Kept;
    std::shared_ptr<const TValues> Values;
};
