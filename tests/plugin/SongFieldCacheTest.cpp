// The last file's answers to the media library: one load for the questions
// that follow, a new one when the file is another or has changed.

#include <gtest/gtest.h>

#include <stdexcept>

#include "plugin/SongFieldCache.h"

namespace {

using TCache = TSongFieldCache<char>;

struct TCountedLoads {
    int Count = 0;
    TCache::TValues operator()()
    {
        ++Count;
        return {"load " + std::to_string(Count)};
    }
};

TEST(SongFieldCache, AFileUnchangedIsLoadedOnceAndAChangedOneAgain)
{
    TCache cache;
    TCountedLoads loads;
    const TCache::TStamp song{"a.dmf", 100, 7};
    for (int question = 0; question < 10; ++question) {
        EXPECT_EQ(cache.Get(song, std::ref(loads))->front(), "load 1");
    }
    EXPECT_EQ(loads.Count, 1);

    for (const TCache::TStamp& other :
         {TCache::TStamp{"a.dmf", 101, 7}, TCache::TStamp{"a.dmf", 101, 8}, TCache::TStamp{"b.dmf", 101, 8}}) {
        const int before = loads.Count;
        cache.Get(other, std::ref(loads));
        cache.Get(other, std::ref(loads));
        EXPECT_EQ(loads.Count, before + 1) << other.Name << " " << other.Size << " " << other.WriteTime;
    }
    // Only the last file is kept.
    EXPECT_EQ(cache.Get(song, std::ref(loads))->front(), "load 5");
}

TEST(SongFieldCache, ALoadThatFailsKeepsNothingOfIt)
{
    TCache cache;
    TCountedLoads loads;
    const TCache::TStamp song{"a.dmf", 100, 7};
    cache.Get(song, std::ref(loads));
    EXPECT_THROW(cache.Get({"b.dmf", 5, 5}, []() -> TCache::TValues { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_EQ(cache.Get(song, std::ref(loads))->front(), "load 1");
    EXPECT_EQ(loads.Count, 1);
}

}  // namespace
