// Synthesis filter speed: SynthesisBlock runs CalculatePcmSamples (matrixing,
// history update, 32 window sums, PCM into the buffer) on blocks of random subband
// samples one at a time, SynthesisGranule the 18 blocks of a Layer III granule in
// one call; Dct32Block runs the matrixing transform alone, four blocks per call.
// Items are blocks.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegDct32.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

constexpr int BlockCount = 64;  // distinct blocks cycled through, several write positions each

std::vector<float> RandomBlocks()
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(-0.2f, 0.2f);
    std::vector<float> blocks(static_cast<size_t>(BlockCount) * TSynthesisFilter::Subbands);
    for (float& sample : blocks) {
        sample = value(random);
    }
    return blocks;
}

void SynthesisBlock(benchmark::State& State)
{
    const std::vector<float> blocks = RandomBlocks();
    TSynthesisFilter filter(0, 32768.0f);
    TBuffer buffer(1);
    int block = 0;
    for (auto _ : State) {
        const float* samples = &blocks[static_cast<size_t>(block) * TSynthesisFilter::Subbands];
        for (int k = 0; k < TSynthesisFilter::Subbands; ++k) {
            filter.InputSample(samples[k], k);
        }
        filter.CalculatePcmSamples(buffer);
        if (buffer.BytesHeld() > TBuffer::Capacity - 64) {
            buffer.Clear();
        }
        block = (block + 1) % BlockCount;
    }
    benchmark::DoNotOptimize(buffer.Data);
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(SynthesisBlock);

void SynthesisGranule(benchmark::State& State)
{
    constexpr int slots = 18;
    const std::vector<float> blocks = RandomBlocks();
    TSynthesisFilter filter(0, 32768.0f);
    TBuffer buffer(1);
    int first = 0;
    for (auto _ : State) {
        filter.SynthesizeBlocks(&blocks[static_cast<size_t>(first) * TSynthesisFilter::Subbands], slots, slots, buffer);
        if (buffer.BytesHeld() > TBuffer::Capacity - 64 * slots) {
            buffer.Clear();
        }
        first = (first + 1) % (BlockCount - slots);
    }
    benchmark::DoNotOptimize(buffer.Data);
    State.SetItemsProcessed(State.iterations() * slots);
}
BENCHMARK(SynthesisGranule);

void Dct32Block(benchmark::State& State)
{
    constexpr int lanes = 4;
    const std::vector<float> blocks = RandomBlocks();
    float out[TSynthesisFilter::Subbands * lanes];
    int first = 0;
    for (auto _ : State) {
        // Four blocks whose elements lie BlockCount apart.
        Dct32Four(&blocks[static_cast<size_t>(first)], BlockCount, out);
        benchmark::DoNotOptimize(out);
        first = (first + lanes) % BlockCount;
    }
    State.SetItemsProcessed(State.iterations() * lanes);
}
BENCHMARK(Dct32Block);

}  // namespace
