// The mixer's kernels on each code path: the plain ones here, the vector
// ones in DmfMixSse2.cpp and DmfMixAvx2.cpp.
#include "player/DmfMixKernels.h"

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"

namespace {

template <TInterpolation Interpolation>
constexpr TMixStretches PlainTapStretches = {
    &MixTapFrames<Interpolation, TFrameFormat<false, false>>, &MixTapFrames<Interpolation, TFrameFormat<false, true>>,
    &MixTapFrames<Interpolation, TFrameFormat<true, false>>, &MixTapFrames<Interpolation, TFrameFormat<true, true>>};

constexpr TMixKernels PlainKernels = {
    {PlainTapStretches<TInterpolation::None>,
     {&MixFrames<TFrameFormat<false, false>>, &MixFrames<TFrameFormat<false, true>>,
      &MixFrames<TFrameFormat<true, false>>, &MixFrames<TFrameFormat<true, true>>},
     PlainTapStretches<TInterpolation::Cubic>,
     PlainTapStretches<TInterpolation::Sinc>},
    {&MixLoopedFrames<TFrameFormat<false, false>>, &MixLoopedFrames<TFrameFormat<false, true>>,
     &MixLoopedFrames<TFrameFormat<true, false>>, &MixLoopedFrames<TFrameFormat<true, true>>},
    &ConvertFrames};

}  // namespace

const TMixKernels& MixKernelsOf(TCodePath Path)
{
    switch (WidestCodePathUpTo(Path)) {
#ifdef MORVEL_CODE_AVX2
    case TCodePath::Avx2:
        return Avx2MixKernels();
#endif
#ifdef MORVEL_CODE_SSE2
    case TCodePath::Sse2:
        return Sse2MixKernels();
#endif
    default:
        return PlainKernels;
    }
}
