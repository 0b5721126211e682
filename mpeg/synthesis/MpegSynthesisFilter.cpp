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
    // X = DCT-II of the block. The standard's matrixing V[i] is X[16 + i] for
    // i = 0..15, 0 for i = 16, and -X[48 - i] for i = 17..48; the other half of
    // V mirrors these, so 32 values describe all 64.
    float X[Subbands];
    Dct32(Samples, X);

    const int C = WritePos;
    double* Other = ActualV == V1 ? V2 : V1;
    // ActualV takes V[0..31]: X[16..31], 0, then -X[31..17]. The history holds
    // the float results widened to double, so the sums need not widen them.
    double* Column = ActualV + Subbands * C;
    for (int Row = 0; Row < 16; ++Row)
        Column[Row] = X[16 + Row];
    Column[16] = 0.0;
    for (int Row = 17; Row < 32; ++Row)
        Column[Row] = -X[48 - Row];
    // Other takes V[32..63]: -X[16], -X[15..0], then -X[1..15].
    Column = Other + Subbands * C;
    Column[0] = -X[16];
    for (int Row = 1; Row <= 16; ++Row)
        Column[Row] = -X[16 - Row];
    for (int Row = 17; Row < 32; ++Row)
        Column[Row] = -X[Row - 16];

    int16_t Pcm[Subbands];
    (*Sums)[size_t(C)](ActualV, Window, Pcm);
    Buffer.Append(Channel, Pcm, Subbands);

    WritePos = (C + 1) % Taps;
    ActualV = Other;
    std::memset(Samples, 0, sizeof Samples);
}
