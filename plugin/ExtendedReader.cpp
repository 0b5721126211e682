#include "plugin/ExtendedReader.h"

#include <algorithm>
#include <atomic>

#include "player/DmfSong.h"
#include "plugin/HostFileName.h"

namespace {

// The host sets its kill switch from another thread while a read runs.
bool Stopped(int* Stop)
{
    return Stop && std::atomic_ref<int>(*Stop).load(std::memory_order_relaxed) != 0;
}

}  // namespace

TExtendedReader::TExtendedReader(std::unique_ptr<TDmf> LoadedSong) : Song(std::move(LoadedSong)), Playback(*Song)
{
    // As morvel render plays the song: from its start, its whole length.
    Playback.Start();
    Total = static_cast<uint64_t>(std::max<int64_t>(Playback.LengthOutputBytes(), 0));
}

int32_t TExtendedReader::Rate() const
{
    return Song->Sound.Rate;
}

TExtendedReader::~TExtendedReader() = default;

std::unique_ptr<TExtendedReader> TExtendedReader::Open(const char* Name, const TSoundSettings& Sound)
{
    return FromStream(*OpenHostFile(Name), Sound);
}

std::unique_ptr<TExtendedReader> TExtendedReader::Open(const wchar_t* Name, const TSoundSettings& Sound)
{
    return FromStream(*OpenHostFile(Name), Sound);
}

std::unique_ptr<TExtendedReader> TExtendedReader::FromStream(TStream& File, const TSoundSettings& Sound)
{
    auto song = std::make_unique<TDmf>();
    song->LoadFromStream(File);
    if (!song->Loaded) {
        return nullptr;
    }
    // Before the pass starts, and before anything is sized for the rate.
    song->Sound = Sound;
    // Everything the reads need is had now: a read never fails for memory.
    song->AllocateRenderBuffers();
    return std::unique_ptr<TExtendedReader>(new TExtendedReader(std::move(song)));
}

size_t TExtendedReader::Read(char* Dest, size_t Count, int* Stop)
{
    std::lock_guard<std::mutex> guard(Busy);
    size_t done = 0;
    while (done < Count && Playback.Playing() && !Stopped(Stop)) {
        // At most one render step at a time (never past the song's end), so
        // that a stop is seen after each.
        const size_t piece = std::min(Count - done, static_cast<size_t>(Playback.StepBytes()));
        Playback.Render(Dest + done, static_cast<int32_t>(piece));
        done += piece;
    }
    return done;
}

void TExtendedReader::Seek(int Ms)
{
    std::lock_guard<std::mutex> guard(Busy);
    Playback.Seek(std::max(Ms, 0));
}
