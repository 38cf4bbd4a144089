// The NOR check's sum over the whole 16 MiB flash window, beside a plain
// memcpy of the same 16 MiB (which reads as much and writes as much again):
// the sum should be no slower. A word-by-word loop shows what the lanes
// gain.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "devices/nor_flash.h"
#include "diag/nor_sum.h"

namespace {

constexpr std::size_t kFlashBytes = kNorBytes;

std::vector<std::uint8_t> Flash() {
    std::vector<std::uint8_t> bytes(kFlashBytes);
    std::uint32_t x = 0x4B455354;
    for (auto& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

void BM_NorSum(benchmark::State& state) {
    const std::vector<std::uint8_t> flash = Flash();
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(SumLittleEndianWords(flash.data(), kFlashBytes / 2));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFlashBytes));
}
BENCHMARK(BM_NorSum)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
    const std::vector<std::uint8_t> flash = Flash();
    std::vector<std::uint8_t> copy(kFlashBytes);
    for ([[maybe_unused]] auto _ : state) {
        std::memcpy(copy.data(), flash.data(), kFlashBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFlashBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_WordByWordSum(benchmark::State& state) {
    const std::vector<std::uint8_t> flash = Flash();
    for ([[maybe_unused]] auto _ : state) {
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < kFlashBytes; i += 2) {
            sum = static_cast<std::uint16_t>(sum + (flash[i] | (flash[i + 1] << 8)));
            benchmark::DoNotOptimize(sum);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFlashBytes));
}
BENCHMARK(BM_WordByWordSum)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
