// Lines per second through the NMEA dispatcher, on a real receiver log.
//
//   NMEA_LOG=path/to.log nmea_bench
//
// The log (default: testdata/nmea/telit-he910.log) gets CR LF line ends and a
// "$PVSNS" line before each "$GPRMC", so that cycles complete as on the unit.
// Items are lines, bytes are the bytes handed to the dispatcher. The binary
// counts every heap allocation, and a benchmark that allocates in its loop
// fails.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_fields.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "kestrin_tree.h"

// ---- Allocation counting -------------------------------------------------

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define NMEA_BENCH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define NMEA_BENCH_SANITIZED 1
#endif
#endif

namespace {
std::atomic<std::size_t> g_allocations{0};
}  // namespace

#ifndef NMEA_BENCH_SANITIZED
// The sanitizers bring their own allocator; elsewhere every malloc-family
// call of the process is counted here and handed on to glibc's allocator.
// operator new of the C++ library allocates through malloc, so it is
// counted too.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t nmemb, std::size_t size);
void* __libc_realloc(void* ptr, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t nmemb, std::size_t size) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(nmemb, size);
}
void* realloc(void* ptr, std::size_t size) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(ptr, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}
}
#endif

namespace {

// ---- The log -------------------------------------------------------------

struct Log {
    std::string bytes;                                       // lines, each ending in CR
    std::vector<std::pair<std::size_t, std::size_t>> lines;  // offset, length
    std::string error;
};

Log LoadLog() {
    Log log;
    const char* env = std::getenv("NMEA_LOG");
    const std::string path =
        env != nullptr && *env != '\0' ? env : KESTRIN_TESTDATA_DIR "/nmea/telit-he910.log";
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string text(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
    if (!in || !in.seekg(0).read(text.data(), static_cast<std::streamsize>(text.size()))) {
        log.error = "cannot read " + path;
        return log;
    }
    const auto add = [&log](std::string_view line) {
        log.lines.emplace_back(log.bytes.size(), line.size() + 1);
        log.bytes.append(line).push_back('\r');
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with("$GPRMC")) {
            add("$PVSNS,A,,1.5,1013.2,,,1,1*00");
        }
        add(line);
        start = end + 1;
    }
    return log;
}

const Log& TheLog() {
    static const Log log = LoadLog();
    return log;
}

// Runs `perLine(line, length)` over every line of the log per iteration.
template <typename PerLine>
void RunOverLog(benchmark::State& state, PerLine perLine) {
    const Log& log = TheLog();
    if (!log.error.empty()) {
        state.SkipWithError(log.error.c_str());
        return;
    }
    std::size_t allocations = 0;
    for ([[maybe_unused]] auto _ : state) {
        const std::size_t before = g_allocations.load(std::memory_order_relaxed);
        for (const auto& [offset, length] : log.lines) {
            perLine(log.bytes.data() + offset, length);
        }
        allocations += g_allocations.load(std::memory_order_relaxed) - before;
    }
    state.SetItemsProcessed(state.iterations() *
                            static_cast<benchmark::IterationCount>(log.lines.size()));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<benchmark::IterationCount>(log.bytes.size()));
    state.counters["allocs"] = static_cast<double>(allocations);
#ifndef NMEA_BENCH_SANITIZED
    if (allocations != 0) {
        state.SkipWithError("heap allocation inside the loop");
    }
#endif
}

// What the GPS window does: each line to the dispatcher, the record cleared
// after every completed cycle.
void BM_NmeaDispatch(benchmark::State& state) {
    CGpsInfoParser parser;
    GPS_INFO info{};
    std::size_t cycles = 0;
    RunOverLog(state, [&](const char* line, std::size_t length) {
        if (parser.Dispatch(line, length, info)) {
            benchmark::DoNotOptimize(info);
            info = GPS_INFO{};
            ++cycles;
        }
    });
    // Completed cycles per pass over the log.
    state.counters["cycles"] =
        benchmark::Counter(static_cast<double>(cycles), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_NmeaDispatch);

// Every line split into fields as well, whether the dispatcher takes it or
// not: the cost of reading every sentence.
void BM_NmeaSplitAndDispatch(benchmark::State& state) {
    CGpsInfoParser parser;
    CNmeaFields fields;
    GPS_INFO info{};
    RunOverLog(state, [&](const char* line, std::size_t length) {
        fields.Split(line, length);
        benchmark::DoNotOptimize(fields);
        if (parser.Dispatch(line, length, info)) {
            benchmark::DoNotOptimize(info);
            info = GPS_INFO{};
        }
    });
}
BENCHMARK(BM_NmeaSplitAndDispatch);

}  // namespace

BENCHMARK_MAIN();
