// 200 scripts that do nothing, run as one suite by the program (a worker
// process, one script after another, each on a fresh copy of the default
// unit), and the fresh copy of the unit alone: loaded over the shared copy,
// as the suite does, beside a whole copy made for each run. per_script is
// the time of one script (median of the repetitions).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/components.h"
#include "host/unit/fresh_copies.h"
#include "host/unit/temp_dir.h"
#include "host/unit/virtual_unit.h"
#include "kestrin_tree.h"
#include "suite_bench_paths.h"

extern char** environ;  // NOLINT: posix_spawn's

namespace {

constexpr int kScripts = 200;
const std::filesystem::path kUnit = std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" / "default";

void BM_TrivialScriptsInASuite(benchmark::State& state) {
    auto folder = host::unit::TempDir::Create("kestrin-bench-");
    if (!folder) {
        state.SkipWithError(folder.error().c_str());
        return;
    }
    for (int i = 0; i < kScripts; ++i) {
        std::ofstream(folder->path() / ("s" + std::to_string(1000 + i) + ".ks")) << "wait 0\n";
    }
    std::vector<std::string> words = {KESTRIN_BIN, "--script", folder->path().string(), "--unit",
                                      kUnit.string()};
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for ([[maybe_unused]] auto _ : state) {
        pid_t pid = 0;
        int status = -1;
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("the suite did not pass");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
    state.counters["per_script"] = benchmark::Counter(
        kScripts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TrivialScriptsInASuite)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A fresh copy loaded and dropped, as the suite makes one for each script.
void BM_FreshCopyLoaded(benchmark::State& state) {
    auto copies = host::unit::FreshCopies::Make(kUnit);
    if (!copies || !copies->Prepare(host::HostComponents())) {
        state.SkipWithError("no copy of the default unit");
        return;
    }
    for ([[maybe_unused]] auto _ : state) {
        const host::unit::TempDir own = copies->Next();
        auto unit = host::unit::LoadUnit(copies->pristine(), host::HostComponents(),
                                         {.virtualTime = true, .writeTo = own.path()});
        benchmark::DoNotOptimize(unit);
    }
}
BENCHMARK(BM_FreshCopyLoaded)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with a whole copy of the unit for each load, as it once was.
void BM_WholeCopyLoaded(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
        auto copy = host::unit::MakeFreshCopy(kUnit);
        if (!copy) {
            state.SkipWithError("no copy of the default unit");
            break;
        }
        auto unit =
            host::unit::LoadUnit(copy->path(), host::HostComponents(), {.virtualTime = true});
        benchmark::DoNotOptimize(unit);
    }
}
BENCHMARK(BM_WholeCopyLoaded)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
