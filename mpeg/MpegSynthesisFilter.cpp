#include "mpeg/MpegSynthesisFilter.h"

#include <array>
#include <cstring>
#include <utility>

#include "mpeg/MpegBuffer.h"
#include "mpeg/MpegDct32.h"
#include "mpeg/MpegSynthesisWindow.h"

namespace {

constexpr int Subbands = TSynthesisFilter::Subbands;
constexpr int Taps = TSynthesisFilter::Taps;

// The 16-tap window sums of one block, with the write column fixed at compile time
// so that no index wraps inside the sums.
template <int Column>
void WindowBlock(const float* V, const float* Window, int Channel, TBuffer& Buffer)
{
    for (int J = 0; J < Subbands; ++J) {
        const float* Row = V + Taps * J;
        const float* Coefficients = Window + Taps * J;
        double Sum = 0.0;
        for (int T = 0; T < Taps; ++T) Sum += double(Row[(Column - T + Taps) % Taps]) * Coefficients[T];
        Buffer.Append(Channel, PcmFromSum(Sum));
    }
}

using TWindowBlock = void (*)(const float*, const float*, int, TBuffer&);

template <int... Columns>
constexpr auto MakeWindowBlocks(std::integer_sequence<int, Columns...>)
{
    return std::array<TWindowBlock, sizeof...(Columns)>{&WindowBlock<Columns>...};
}

constexpr auto WindowBlocks = MakeWindowBlocks(std::make_integer_sequence<int, Taps>());

}  // namespace

int32_t PcmFromSum(double Sum)
{
    constexpr double Limit = 1.0e9;  // far outside 16 bits, well inside 32
    if (!(Sum > -Limit)) return Sum != Sum ? 0 : -int32_t(Limit);
    if (Sum > Limit) return int32_t(Limit);
    return int32_t(Sum);  // conversion truncates toward zero
}

TSynthesisFilter::TSynthesisFilter(int Channel, float ScaleFactor) : Channel(Channel), ScaleFactor(ScaleFactor)
{
    Reset();
}

void TSynthesisFilter::Reset()
{
    ActualV = V1;
    WritePos = 15;
    Window = ScaledSynthesisWindow(ScaleFactor);
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
    float* Other = ActualV == V1 ? V2 : V1;
    // ActualV takes V[0..31]: X[16..31], 0, then -X[31..17].
    for (int Row = 0; Row < 16; ++Row) ActualV[Taps * Row + C] = X[16 + Row];
    ActualV[Taps * 16 + C] = 0.0f;
    for (int Row = 17; Row < 32; ++Row) ActualV[Taps * Row + C] = -X[48 - Row];
    // Other takes V[32..63]: -X[16], -X[15..0], then -X[1..15].
    Other[C] = -X[16];
    for (int Row = 1; Row <= 16; ++Row) Other[Taps * Row + C] = -X[16 - Row];
    for (int Row = 17; Row < 32; ++Row) Other[Taps * Row + C] = -X[Row - 16];

    WindowBlocks[size_t(C)](ActualV, Window, Channel, Buffer);

    WritePos = (C + 1) % Taps;
    ActualV = Other;
    std::memset(Samples, 0, sizeof Samples);
}
