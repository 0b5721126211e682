// Which path the mixer runs, and the code of each.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "player/DmfMixerPath.h"

#include <atomic>
#include <cstring>

#include "platform/PlatformEnvironment.h"
#include "platform/PlatformProcessor.h"
#include "player/DmfMixFrame.h"
#include "player/DmfMixKernels.h"

namespace {

constexpr TMixKernels PlainKernels = {
    {&MixFrames<TFrameFormat<false, false>>, &MixFrames<TFrameFormat<false, true>>,
     &MixFrames<TFrameFormat<true, false>>, &MixFrames<TFrameFormat<true, true>>},
    {&MixLoopedFrames<TFrameFormat<false, false>>, &MixLoopedFrames<TFrameFormat<false, true>>,
     &MixLoopedFrames<TFrameFormat<true, false>>, &MixLoopedFrames<TFrameFormat<true, true>>},
    &ConvertFrames};

// A path of this build the processor runs.
bool HasAvx2Path()
{
#ifdef MORVEL_MIXER_AVX2
    return ProcessorHasAvx2();
#else
    return false;
#endif
}

// The widest available path at or below Path.
TMixerPath WidestUpTo(TMixerPath Path)
{
    while (Path != TMixerPath::Plain && !MixerPathAvailable(Path)) {
        Path = static_cast<TMixerPath>(static_cast<int>(Path) - 1);
    }
    return Path;
}

constexpr int NotChosen = -1;
std::atomic<int> Chosen{NotChosen};

}  // namespace

const char* MixerPathName(TMixerPath Path)
{
    switch (Path) {
    case TMixerPath::Plain:
        return "plain";
    case TMixerPath::Sse2:
        return "sse2";
    case TMixerPath::Avx2:
        return "avx2";
    }
    return "";
}

bool MixerPathNamed(const char* Name, TMixerPath& Path)
{
    for (const TMixerPath path : MixerPaths) {
        if (std::strcmp(Name, MixerPathName(path)) == 0) {
            Path = path;
            return true;
        }
    }
    return false;
}

bool MixerPathAvailable(TMixerPath Path)
{
    switch (Path) {
    case TMixerPath::Plain:
        return true;
    case TMixerPath::Sse2:
#ifdef MORVEL_MIXER_SSE2
        return true;
#else
        return false;
#endif
    case TMixerPath::Avx2:
        return HasAvx2Path();
    }
    return false;
}

TMixerPath MixerPathFor(const char* Wanted)
{
    TMixerPath path = TMixerPath::Avx2;
    if (Wanted) {
        MixerPathNamed(Wanted, path);
    }
    return WidestUpTo(path);
}

TMixerPath MixerPath()
{
    int path = Chosen.load(std::memory_order_relaxed);
    if (path == NotChosen) {
        // Two threads that get here at once choose the same.
        path = static_cast<int>(MixerPathFor(PlatformEnvironmentValue("MORVEL_MIXER_PATH")));
        Chosen.store(path, std::memory_order_relaxed);
    }
    return static_cast<TMixerPath>(path);
}

TMixerPath SetMixerPath(TMixerPath Path)
{
    const TMixerPath taken = WidestUpTo(Path);
    Chosen.store(static_cast<int>(taken), std::memory_order_relaxed);
    return taken;
}

const TMixKernels& MixKernelsOf(TMixerPath Path)
{
    switch (WidestUpTo(Path)) {
#ifdef MORVEL_MIXER_AVX2
    case TMixerPath::Avx2:
        return Avx2MixKernels();
#endif
#ifdef MORVEL_MIXER_SSE2
    case TMixerPath::Sse2:
        return Sse2MixKernels();
#endif
    default:
        return PlainKernels;
    }
}
