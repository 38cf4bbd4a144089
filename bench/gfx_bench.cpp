#include <benchmark/benchmark.h>

#include "ui/graphics.h"

namespace {

void BM_DrawShortText(benchmark::State& state) {
    ui::Framebuffer fb;
    ui::Font& font = ui::Font::System();
    benchmark::DoNotOptimize(font.Measure("warm the glyph cache: Battery 3950mV"));
    for ([[maybe_unused]] auto _ : state) {
        ui::Rect r{10, 10, 200, 30};
        benchmark::DoNotOptimize(
            font.DrawText(fb, "Battery 3950mV", r, ui::DT_SINGLELINE | ui::DT_VCENTER, 0, nullptr));
    }
}
BENCHMARK(BM_DrawShortText);

void BM_DrawWrappedMessage(benchmark::State& state) {
    ui::Framebuffer fb;
    ui::Font& font = ui::Font::System();
    const ui::Rgb paper = 0xFFFFFF;
    for ([[maybe_unused]] auto _ : state) {
        ui::Rect r{20, 60, 300, 180};
        benchmark::DoNotOptimize(font.DrawText(
            fb, "The navigation application will be returned to its delivery state. Continue?", r,
            ui::DT_WORDBREAK | ui::DT_CENTER, 0, &paper));
    }
}
BENCHMARK(BM_DrawWrappedMessage);

void BM_FillScreen(benchmark::State& state) {
    ui::Framebuffer fb;
    ui::Rgb color = 0;
    for ([[maybe_unused]] auto _ : state) {
        fb.FillRect({0, 0, ui::kScreenWidth, ui::kScreenHeight}, color++);
        benchmark::DoNotOptimize(fb.Data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillScreen);

}  // namespace

BENCHMARK_MAIN();
