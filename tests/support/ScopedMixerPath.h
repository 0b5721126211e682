#pragma once
// Makes every song mix on one path of the mixer for the life of the object
// and puts back the path that was chosen before.

#include "player/DmfMixerPath.h"

class TScopedMixerPath {
public:
    explicit TScopedMixerPath(TMixerPath Path) : Before(MixerPath()) { Taken = SetMixerPath(Path); }
    ~TScopedMixerPath() { SetMixerPath(Before); }
    TScopedMixerPath(const TScopedMixerPath&) = delete;
    TScopedMixerPath& operator=(const TScopedMixerPath&) = delete;

    // The path mixing takes: the one asked for when it is available.
    TMixerPath Path() const { return Taken; }

private:
    TMixerPath Before;
    TMixerPath Taken;
};
