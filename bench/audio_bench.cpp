// PLAY rebuilds the wave on the UI thread before playing it: the sweep must
// stay well under a frame and a tone negligible.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "audio/tone_generator.h"

namespace {

void BM_BuildSweepWave(benchmark::State& state) {
    CToneGenerator generator;
    for ([[maybe_unused]] auto _ : state) {
        generator.BuildSweepWave();
        benchmark::DoNotOptimize(generator.GetWaveBuffer());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * CToneGenerator::kSweepSamples);
}
BENCHMARK(BM_BuildSweepWave)->Unit(benchmark::kMillisecond);

void BM_BuildToneWave(benchmark::State& state) {
    CToneGenerator generator;
    const auto frequency = static_cast<std::uint32_t>(state.range(0));
    for ([[maybe_unused]] auto _ : state) {
        generator.BuildToneWave(frequency);
        benchmark::DoNotOptimize(generator.GetWaveBuffer());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildToneWave)
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
