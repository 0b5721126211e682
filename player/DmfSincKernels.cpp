#include "player/DmfSincKernels.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// The kernels' steps in quarters of a frame, and how many phases each has.
constexpr std::array<int32_t, SincKernelCount> StepQuarters = {4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32};
constexpr double KaiserBeta = 6.0;

constexpr int32_t PhasesOf(int32_t Quarters)
{
    return Quarters < 8 ? 256 : Quarters < 16 ? 128 : Quarters < 32 ? 64 : 32;
}

constexpr int32_t TapsOf(int32_t Quarters)
{
    return SincChunkTaps * ((Quarters + 3) / 4);
}

static_assert(TapsOf(StepQuarters.back()) == SincMostTaps);

constexpr int32_t TableFloats()
{
    int32_t floats = 0;
    for (const int32_t quarters : StepQuarters) {
        floats += PhasesOf(quarters) * 2 * TapsOf(quarters);
    }
    return floats;
}

// The modified Bessel function of the first kind, order 0, by its series
// (its terms fall fast for the arguments a window takes, at most beta).
double BesselI0(double X)
{
    const double quarterSquare = X * X / 4.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 64 && term > 1e-18 * sum; ++k) {
        term *= quarterSquare / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

// The taps of a kernel of Taps taps and cut-off Cutoff (cycles per source
// frame) for a head Between (0..1) of a frame past its frame, summing to 1.
std::vector<double> KernelTaps(int32_t Taps, double Cutoff, double Between)
{
    std::vector<double> taps(static_cast<size_t>(Taps));
    const double half = Taps / 2;
    const double windowScale = 1.0 / (BesselI0(KaiserBeta) - 1.0);
    double sum = 0.0;
    for (int32_t i = 0; i < Taps; ++i) {
        const double t = (i - (half - 1)) - Between;
        const double x = 2.0 * Cutoff * t;
        const double sinc = x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double across = t / half;
        const double window = std::abs(across) >= 1.0
                                  ? 0.0
                                  : (BesselI0(KaiserBeta * std::sqrt(1.0 - across * across)) - 1.0) * windowScale;
        taps[static_cast<size_t>(i)] = 2.0 * Cutoff * sinc * window;
        sum += taps[static_cast<size_t>(i)];
    }
    for (double& tap : taps) {
        tap /= sum;
    }
    return taps;
}

struct TSincTables {
    std::array<float, TableFloats()> Floats{};
    std::array<TSincKernel, SincKernelCount> Kernels{};

    TSincTables()
    {
        float* rows = Floats.data();
        for (size_t k = 0; k < StepQuarters.size(); ++k) {
            const int32_t quarters = StepQuarters[k];
            const int32_t taps = TapsOf(quarters);
            const int32_t phases = PhasesOf(quarters);
            const int32_t shift = 16 - std::countr_zero(static_cast<uint32_t>(phases));
            Kernels[k] = {taps, taps / SincChunkTaps, shift, (1u << shift) - 1, static_cast<uint64_t>(quarters) << 14,
                          rows};
            const double cutoff = 0.5 * 4.0 / quarters;
            std::vector<double> next = KernelTaps(taps, cutoff, 0.0);
            for (int32_t phase = 0; phase < phases; ++phase) {
                const std::vector<double> at = next;
                next = KernelTaps(taps, cutoff, static_cast<double>(phase + 1) / phases);
                for (int32_t i = 0; i < taps; ++i) {
                    const int32_t chunk = i / SincChunkTaps;
                    const int32_t lane = i % SincChunkTaps;
                    float* chunkRow = rows + 2 * SincChunkTaps * chunk;
                    chunkRow[lane] = static_cast<float>(at[static_cast<size_t>(i)]);
                    chunkRow[SincChunkTaps + lane] = static_cast<float>(
                        std::ldexp(next[static_cast<size_t>(i)] - at[static_cast<size_t>(i)], -shift));
                }
                rows += 2 * taps;
            }
        }
    }
};

}  // namespace

const std::array<TSincKernel, SincKernelCount>& SincKernels()
{
    // Made on the first call, once for all threads.
    static const TSincTables tables;
    return tables.Kernels;
}

const TSincKernel& SincKernelFor(uint64_t Increment)
{
    const std::array<TSincKernel, SincKernelCount>& kernels = SincKernels();
    for (const TSincKernel& kernel : kernels) {
        if (Increment <= kernel.MostIncrement) {
            return kernel;
        }
    }
    return kernels.back();
}
