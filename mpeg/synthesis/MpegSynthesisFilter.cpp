#include "mpeg/synthesis/MpegSynthesisFilter.h"

#include <cstring>

#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegDct32.h"
#include "mpeg/synthesis/MpegSynthesisWindow.h"
#include "mpeg/synthesis/MpegWindowSums.h"

TSynthesisFilter::TSynthesisFilter(int Channel, float ScaleFactor) : Channel(Channel), ScaleFactor(ScaleFactor)
{
    Reset();
}

void TSynthesisFilter::Reset()
{
    ActualV = V1;
    WritePos = 15;
    Window = ScaledSynthesisWindowByTap(ScaleFactor);
    Sums = &WindowSumsForThisProcessor();
    std::memset(V1, 0, sizeof V1);
    std::memset(V2, 0, sizeof V2);
    std::memset(Samples, 0, sizeof Samples);
}

void TSynthesisFilter::CalculatePcmSamples(TBuffer& Buffer)
{
    // x = DCT-II of the block. The standard's matrixing V[i] is x[16 + i] for
    // i = 0..15, 0 for i = 16, and -x[48 - i] for i = 17..48; the other half of
    // V mirrors these, so 32 values describe all 64.
    float x[Subbands];
    Dct32(Samples, x);

    const int c = WritePos;
    double* other = ActualV == V1 ? V2 : V1;
    // ActualV takes V[0..31]: x[16..31], 0, then -x[31..17]. The history holds
    // the float results widened to double, so the sums need not widen them.
    double* column = ActualV + Subbands * c;
    for (int row = 0; row < 16; ++row)
        column[row] = x[16 + row];
    column[16] = 0.0;
    for (int row = 17; row < 32; ++row)
        column[row] = -x[48 - row];
    // other takes V[32..63]: -x[16], -x[15..0], then -x[1..15].
    column = other + Subbands * c;
    column[0] = -x[16];
    for (int row = 1; row <= 16; ++row)
        column[row] = -x[16 - row];
    for (int row = 17; row < 32; ++row)
        column[row] = -x[row - 16];

    int16_t pcm[Subbands];
    (*Sums)[static_cast<size_t>(c)](ActualV, Window, pcm);
    Buffer.Append(Channel, pcm, Subbands);

    WritePos = (c + 1) % Taps;
    ActualV = other;
    std::memset(Samples, 0, sizeof Samples);
}
