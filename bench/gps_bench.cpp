// One receiver cycle through the GPS information window, end to end:
// bytes queued in the virtual GPS1: driver, the receive thread waking,
// reading and posting the chunk, the window assembling the lines, parsing
// the cycle, formatting and replacing its text (and painting it). Headless,
// on a unit whose GPS1: has no source of its own.
//
//   gps_bench
//
// Each iteration is one 10-sentence cycle (GGA, GSA, four GSV, PVSNS, RMC,
// VTG, ZDA) with a time of its own, so every cycle changes the text.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/gps_info_dlg.h"
#include "gpsinfo/gps_info_text.h"
#include "host/gps1/gps1_component.h"
#include "host/gps1/gps1_driver.h"
#include "host/unit/test_unit.h"
#include "platform/services.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"

namespace {

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    static_cast<void>(std::snprintf(tail, sizeof tail, "*%02X\r\n", sum));
    return "$" + body + tail;
}

std::string Cycle(int n) {
    char t[16];
    static_cast<void>(
        std::snprintf(t, sizeof t, "%02d%02d%02d.00", (n / 3600) % 24, (n / 60) % 60, n % 60));
    const std::string time = t;
    std::string c;
    c += Sentence("GPGGA," + time + ",4025.1988,N,00341.3220,W,1,09,0.95,656.9,M,51.6,M,,0000");
    c += Sentence("GPGSA,A,3,02,05,10,13,17,23,24,29,30,,,,1.94,0.95,1.63");
    c += Sentence("GPGSV,4,1,14,02,70,312,43,05,20,048,38,10,39,141,39,12,12,252,34");
    c += Sentence("GPGSV,4,2,14,13,59,084,43,15,11,203,,17,31,285,37,23,68,178,47");
    c += Sentence("GPGSV,4,3,14,24,25,321,35,26,08,110,,29,17,017,31,30,44,236,41");
    c += Sentence("GPGSV,4,4,14,31,05,150,,32,12,070,22");
    c += Sentence("PVSNS,A,,0.8,938.6,,,1,1");
    c += Sentence("GPRMC," + time + ",A,4025.1988,N,00341.3220,W,26.05,190.45,210306,,,A");
    c += Sentence("GPVTG,190.45,T,,M,26.05,N,48.25,K,A");
    c += Sentence("GPZDA," + time + ",21,03,2006,00,00");
    return c;
}

void BM_GpsCycleToText(benchmark::State& state) {
    host::unit::TestUnit t({Gps1ComponentKind()});
    t.Toml("[gps]\nsource = \"none\"\n");
    if (!t.Load()) {
        state.SkipWithError(t.error().c_str());
        return;
    }
    platform::ScopedServices services(t.unit().Services());
    ui::HeadlessPresenter presenter;
    ui::Desktop desktop(presenter, &t.unit().Clock());
    host::gps1::Gps1Driver& driver = *host::gps1::FindGps1Driver(t.unit());

    std::vector<std::string> cycles;
    cycles.reserve(3600);
    for (int i = 0; i < 3600; ++i) {
        cycles.push_back(Cycle(i));
    }
    ui::CWnd* edit = nullptr;
    std::string shown;
    std::size_t next = 0;
    std::int64_t bytes = 0;

    const auto replaced = [&] {
        std::string now = edit->GetWindowText();
        if (now == shown) {
            return false;
        }
        shown = std::move(now);
        return true;
    };
    std::function<void()> round = [&] {
        presenter.Add([&]() -> ui::InputEvent {
            if (edit == nullptr) {
                edit = desktop.WndOf(desktop.FindControl(CGpsInfoDlg::IDC_EDIT_INFO));
            }
            if (!state.KeepRunning()) {
                return {ui::InputEvent::Kind::KeyDown, 0, 0, ui::Key::Escape, {}};
            }
            const std::string& c = cycles[next++ % cycles.size()];
            bytes += static_cast<std::int64_t>(c.size());
            driver.Feed(c);
            presenter.AddWaitUntil(replaced);
            round();
            return {};
        });
    };
    round();
    CGpsInfoDlg dlg;
    dlg.DoModal();
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
    state.counters["sentences/cycle"] = 10;
}
BENCHMARK(BM_GpsCycleToText)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The window's own share: formatting one cycle's text.
void BM_GpsFormatText(benchmark::State& state) {
    GPS_INFO info{};
    info.wYear = 2006;
    info.bMonth = 3;
    info.bDay = 21;
    info.szDayOfWeek = {'T', 'U', 'E', '\0'};
    info.lLatitude = 145271928;
    info.cLatitudeHemisphere = 'N';
    info.lLongitude = 13459320;
    info.cLongitudeHemisphere = 'W';
    info.bPDOP = 19;
    info.bHDOP = 9;
    info.bVDOP = 16;
    info.bFixMode = 3;
    info.bSatUsed = 9;
    for (std::size_t i = 0; i < GPS_SAT_MAX; ++i) {
        info.sat[i] = {static_cast<std::uint8_t>(i + 2), 40, 120, 0, 41};
    }
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(FormatGpsInfo(info));
    }
}
BENCHMARK(BM_GpsFormatText);

}  // namespace

BENCHMARK_MAIN();
