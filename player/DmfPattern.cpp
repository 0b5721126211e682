#include "player/DmfPattern.h"

#include <algorithm>

template <typename Cell> void TCellTrack<Cell>::SetCount(int32_t N)
{
    Cells.resize(static_cast<size_t>(std::clamp<int32_t>(N, 0, MaxRows)));
}

template <typename Cell> void TCellTrack<Cell>::Clear()
{
    for (Cell& cell : Cells) {
        cell.Clear();
    }
}

template <typename Cell> Cell* TCellTrack<Cell>::Sector(int32_t I)
{
    return I >= 0 && I < Count() ? &Cells[static_cast<size_t>(I)] : nullptr;
}

template <typename Cell> const Cell* TCellTrack<Cell>::Sector(int32_t I) const
{
    return I >= 0 && I < Count() ? &Cells[static_cast<size_t>(I)] : nullptr;
}

template class TCellTrack<TSector>;
template class TCellTrack<TGlobalSector>;

void TPattern::SetTrackCount(int32_t N)
{
    N = std::clamp<int32_t>(N, 0, MaxTracks);
    for (int32_t t = TrackCount; t < N; ++t) {
        Tracks[static_cast<size_t>(t)] = std::make_unique<TTrack>();
        Tracks[static_cast<size_t>(t)]->SetCount(RowCount);
    }
    for (int32_t t = N; t < TrackCount; ++t) {
        Tracks[static_cast<size_t>(t)].reset();
    }
    TrackCount = N;
}

void TPattern::SetRowCount(int32_t N)
{
    if (TrackCount <= 0) {
        return;
    }
    N = std::clamp<int32_t>(N, 0, MaxRows);
    for (int32_t t = 0; t < TrackCount; ++t) {
        Tracks[static_cast<size_t>(t)]->SetCount(N);
    }
    GlobalTrack.SetCount(N);
    RowCount = N;
}

void TPattern::Clear()
{
    for (int32_t t = 0; t < TrackCount; ++t) {
        Tracks[static_cast<size_t>(t)]->Clear();
    }
}

TTrack* TPattern::Track(int32_t I)
{
    return I >= 0 && I < TrackCount ? Tracks[static_cast<size_t>(I)].get() : nullptr;
}

const TTrack* TPattern::Track(int32_t I) const
{
    return I >= 0 && I < TrackCount ? Tracks[static_cast<size_t>(I)].get() : nullptr;
}
