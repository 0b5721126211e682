// The window sums must give the same PCM on every build: each is accumulated in
// double, tap 0 first, and no product may be fused into a sum. Widening the float
// history and window to double is exact, and so is each product of the two.
#pragma GCC optimize("fp-contract=off")

#include "mpeg/MpegSynthesisFilter.h"

#include <emmintrin.h>

#include <array>
#include <cstring>
#include <utility>

#include "mpeg/MpegBuffer.h"
#include "mpeg/MpegDct32.h"
#include "mpeg/MpegSynthesisWindow.h"

namespace {

constexpr int Subbands = TSynthesisFilter::Subbands;
constexpr int Taps = TSynthesisFilter::Taps;
constexpr int Lanes = 2;  // output samples per register: a pair of doubles

// Adds tap Tap of output samples J and J + 1 to their sums. Each lane is one
// output sample's own sum, so its order and rounding are those of a scalar sum.
template <int Column, int Tap> inline void AddTap(const double* V, const double* Window, int J, __m128d& Sums)
{
    const double* Rows = V + Subbands * ((Column - Tap + Taps) % Taps) + J;
    const double* Coefficients = Window + Subbands * Tap + J;
    Sums = _mm_add_pd(Sums, _mm_mul_pd(_mm_loadu_pd(Rows), _mm_load_pd(Coefficients)));
}

// The PCM of two sums: truncated toward zero and limited to 16 bits (a
// non-number gives 0). Limiting before truncating gives the same integers.
inline __m128i PcmFromSums(__m128d Sums)
{
    Sums = _mm_and_pd(Sums, _mm_cmpord_pd(Sums, Sums));
    Sums = _mm_min_pd(_mm_max_pd(Sums, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
    return _mm_cvttpd_epi32(Sums);
}

// The PCM of output samples J and J + 1: their 16-tap window sums, tap 0 first.
template <int Column, int... Tap>
inline __m128i PcmPair(const double* V, const double* Window, int J, std::integer_sequence<int, Tap...>)
{
    __m128d Sums = _mm_setzero_pd();
    (AddTap<Column, Tap>(V, Window, J, Sums), ...);
    return PcmFromSums(Sums);
}

// The 32 PCM samples of one block, with the write column fixed at compile time so
// that no index wraps inside the sums; four per round, packed to 16 bits.
template <int Column> void WindowBlock(const double* V, const double* Window, int16_t* Pcm)
{
    constexpr auto TapOrder = std::make_integer_sequence<int, Taps>();
    for (int J = 0; J < Subbands; J += 2 * Lanes) {
        const __m128i Four = _mm_unpacklo_epi64(PcmPair<Column>(V, Window, J, TapOrder),
                                                PcmPair<Column>(V, Window, J + Lanes, TapOrder));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Pcm + J), _mm_packs_epi32(Four, Four));
    }
}

using TWindowBlock = void (*)(const double*, const double*, int16_t*);

template <int... Columns> constexpr auto MakeWindowBlocks(std::integer_sequence<int, Columns...>)
{
    return std::array<TWindowBlock, sizeof...(Columns)>{&WindowBlock<Columns>...};
}

constexpr auto WindowBlocks = MakeWindowBlocks(std::make_integer_sequence<int, Taps>());

}  // namespace

TSynthesisFilter::TSynthesisFilter(int Channel, float ScaleFactor) : Channel(Channel), ScaleFactor(ScaleFactor)
{
    Reset();
}

void TSynthesisFilter::Reset()
{
    ActualV = V1;
    WritePos = 15;
    Window = ScaledSynthesisWindowByTap(ScaleFactor);
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
    WindowBlocks[size_t(C)](ActualV, Window, Pcm);
    Buffer.Append(Channel, Pcm, Subbands);

    WritePos = (C + 1) % Taps;
    ActualV = Other;
    std::memset(Samples, 0, sizeof Samples);
}
