// Synthesis filter speed: SynthesisBlock runs CalculatePcmSamples (matrixing,
// history update, 32 window sums, PCM into the buffer) on blocks of random subband
// samples; Dct32 runs the matrixing transform alone. Items are blocks.

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
    std::mt19937 Random(3);
    std::uniform_real_distribution<float> Value(-0.2f, 0.2f);
    std::vector<float> Blocks(size_t(BlockCount) * TSynthesisFilter::Subbands);
    for (float& Sample : Blocks) Sample = Value(Random);
    return Blocks;
}

void SynthesisBlock(benchmark::State& State)
{
    const std::vector<float> Blocks = RandomBlocks();
    TSynthesisFilter Filter(0, 32768.0f);
    TBuffer Buffer(1);
    int Block = 0;
    for (auto _ : State) {
        const float* Samples = &Blocks[size_t(Block) * TSynthesisFilter::Subbands];
        for (int K = 0; K < TSynthesisFilter::Subbands; ++K) Filter.InputSample(Samples[K], K);
        Filter.CalculatePcmSamples(Buffer);
        if (Buffer.BytesHeld() > TBuffer::Capacity - 64) Buffer.Clear();
        Block = (Block + 1) % BlockCount;
    }
    benchmark::DoNotOptimize(Buffer.Data);
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(SynthesisBlock);

void Dct32Block(benchmark::State& State)
{
    const std::vector<float> Blocks = RandomBlocks();
    float Out[TSynthesisFilter::Subbands];
    int Block = 0;
    for (auto _ : State) {
        Dct32(&Blocks[size_t(Block) * TSynthesisFilter::Subbands], Out);
        benchmark::DoNotOptimize(Out);
        Block = (Block + 1) % BlockCount;
    }
    State.SetItemsProcessed(State.iterations());
}
BENCHMARK(Dct32Block);

}  // namespace
