#include "host/com7/com7_component.h"
#include "host/com7/com7_driver.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "devices/com7.h"
#include "host/com7/station_capture.h"
#include "host/unit/host_report.h"
#include "host/unit/regular_file.h"
#include "live_groups.h"

namespace host::com7 {

namespace {

constexpr const char* kComponentName = "com";
constexpr int kLevelMin = -128;
constexpr int kLevelMax = 127;
// Larger captures are refused rather than read whole (about two days of
// groups).
constexpr std::uintmax_t kCaptureBytesMax = std::uintmax_t{64} * 1024 * 1024;

// A path inside the unit folder: relative, and never climbing out of it.
bool InsideUnit(const std::filesystem::path& path) {
    if (path.empty() || path.is_absolute() || path.has_root_name()) {
        return false;
    }
    return std::none_of(path.begin(), path.end(), [](const auto& part) { return part == ".."; });
}

// How far a jump in a capture's time stamps went (more than a minute),
// rounded in minutes, hours or days.
std::string JumpText(std::int64_t ms) {
    constexpr std::int64_t kMinute = 60'000;
    constexpr std::int64_t kHour = 60 * kMinute;
    constexpr std::int64_t kDay = 24 * kHour;
    const auto rounded = [ms](std::int64_t unit) { return std::to_string((ms + unit / 2) / unit); };
    if (ms < 2 * kHour) {
        return rounded(kMinute) + " min";
    }
    if (ms < 2 * kDay) {
        return rounded(kHour) + " h";
    }
    return rounded(kDay) + " days";
}

// The capture named by `groups`, with the station's identity laid over it.
// Links are followed, but the file they reach must lie in the unit folder
// too, as the unit's own files must lie in fs/.
std::string LoadCapture(const std::filesystem::path& unitDir, const std::string& name,
                        Station& station) {
    namespace fs = std::filesystem;
    const fs::path path(name);
    const char* const outside =
        "groups: a file inside the unit folder, or \"-\" for standard input";
    if (!InsideUnit(path)) {
        return outside;
    }
    std::error_code ec;
    const fs::path root = fs::canonical(unitDir, ec);
    const fs::path file = ec ? fs::path() : fs::canonical(unitDir / path, ec);
    if (ec) {
        return "groups: cannot read " + name + " (" + ec.message() + ")";
    }
    if (const fs::path rel = file.lexically_relative(root); rel.empty() || *rel.begin() == "..") {
        return outside;
    }
    std::string text;
    if (const std::string why = unit::ReadRegularFile(file, &text, kCaptureBytesMax);
        !why.empty()) {
        return "groups: cannot read " + name + " (" + why + ")";
    }
    auto made = MakeStationCapture(text, station.identity);
    if (const auto* error = std::get_if<CaptureError>(&made)) {
        return "groups: " + name + ":" +
               (error->line > 0 ? std::to_string(error->line) + ":" : "") + " " + error->message;
    }
    auto& capture = std::get<StationCapture>(made);
    if (const auto& jump = capture.schedule->Jump()) {
        const std::string more = jump->more == 0 ? ""
                                 : jump->more == 1
                                     ? ", 1 more such jump later"
                                     : ", " + std::to_string(jump->more) + " more such jumps later";
        unit::ReportOnStderr("COM7: " + name + ":" + std::to_string(jump->line) +
                             ": the time stamps jump " + JumpText(jump->aheadMs) +
                             " ahead; the groups go on at the air rate (gaps of more than a "
                             "minute are not kept" +
                             more + ")");
    }
    station.pi = capture.pi;
    station.capture = std::move(capture.schedule);
    return {};
}

}  // namespace

std::string Com7Component::AddStation(unit::VirtualUnit& unit, const unit::Record& record) {
    const int index = stations_++;
    Station station;
    station.frequency = static_cast<int>(std::get<std::int64_t>(record.at("frequency")));
    if (const auto level = record.find("level"); level != record.end()) {
        station.level = static_cast<int>(std::get<std::int64_t>(level->second));
    }
    if (const auto pi = record.find("pi"); pi != record.end()) {
        station.identity.pi = static_cast<std::uint16_t>(std::get<std::int64_t>(pi->second));
        station.pi = *station.identity.pi;
    }
    if (const auto ps = record.find("ps"); ps != record.end()) {
        station.identity.ps = EncodePsName(std::get<std::string>(ps->second));
        if (!station.identity.ps) {
            return "ps: at most 8 characters from U+0020..U+007E and U+00A0..U+00FF";
        }
        station.ps = *station.identity.ps;
    }
    const auto groups = record.find("groups");
    if (groups == record.end()) {
        if (!station.identity.pi || !station.identity.ps) {
            return std::string(station.identity.pi ? "ps" : "pi") +
                   ": missing (a station without groups needs pi and ps)";
        }
    } else if (const auto& name = std::get<std::string>(groups->second); name == "-") {
        if (!liveKey_.empty()) {
            return "groups: only one station can take standard input (" + liveKey_ +
                   " already does)";
        }
        station.live = true;
        liveKey_ = "com.station[" + std::to_string(index) + "].groups";
    } else if (auto error = LoadCapture(unit.Dir(), name, station); !error.empty()) {
        return error;
    }
    std::string error;
    driver_->Simulated().Configure([&](ModuleConfig& config) {
        for (const Station& other : config.stations) {
            if (other.frequency == station.frequency) {
                error = "a second station on " + std::to_string(station.frequency);
                return;
            }
        }
        config.stations.push_back(station);
    });
    return error;
}

Com7Component::Com7Component() = default;
Com7Component::~Com7Component() = default;

void Com7Component::Declare(unit::Schema& schema, unit::VirtualUnit& unit) {
    driver_ = std::make_shared<Com7Driver>(unit.scheduler());
    SimulatedPort& port = driver_->Simulated();
    HostSerialPort& host = driver_->Host();
    auto& table = unit.AddDevice(schema, kComponentName, kRdsPortName, driver_);
    table.String("device", [&host](const std::string& path) { host.SetDevice(path); })
        .LoadOnly()
        .Boolean("silent", [&port](bool silent) { port.SetSilent(silent); })
        .Key(unit::BytesKey("version", 3),
             [&port](const unit::Value& v) -> std::string {
                 const auto& bytes = std::get<std::vector<std::uint8_t>>(v);
                 if (bytes.size() != 3) {
                     return "expected three numbers, found " + std::to_string(bytes.size());
                 }
                 port.Configure(
                     [&](ModuleConfig& c) { std::copy_n(bytes.begin(), 3, c.version.begin()); });
                 return {};
             })
        .Integer("frequency", kRdsBaseFrequency, kRdsTopFrequency,
                 [&port](std::int64_t f) {
                     port.Configure([f](ModuleConfig& c) { c.frequency = static_cast<int>(f); });
                 })
        .LoadOnly()
        .Integer("noise_level", kLevelMin, kLevelMax,
                 [&port](std::int64_t l) {
                     port.Configure([l](ModuleConfig& c) { c.noiseLevel = static_cast<int>(l); });
                 })
        .Integer("strong_level", kLevelMin, kLevelMax,
                 [&port](std::int64_t l) {
                     port.Configure([l](ModuleConfig& c) { c.strongLevel = static_cast<int>(l); });
                 })
        .Integer("seek_step_ms", 0, 1000,
                 [&port](std::int64_t ms) {
                     port.Configure(
                         [ms](ModuleConfig& c) { c.seekStepMs = static_cast<std::uint32_t>(ms); });
                 })
        .Integer("chunk_max", 1, 64,
                 [&port](std::int64_t n) { port.SetMaxChunk(static_cast<std::size_t>(n)); })
        .Records(
            "station",
            {unit::Required(unit::IntegerKey("frequency", kRdsBaseFrequency, kRdsTopFrequency)),
             unit::IntegerKey("level", kLevelMin, kLevelMax), unit::IntegerKey("pi", 1, 0xFFFF),
             unit::StringKey("ps"), unit::StringKey("groups")},
            [this, &unit](const unit::Record& record, int /*line*/) {
                return AddStation(unit, record);
            });
}

unit::SetError Com7Component::Start(unit::VirtualUnit& unit) {
    if (!liveKey_.empty()) {
        if (const std::string holder = unit.ClaimStandardInput(liveKey_); !holder.empty()) {
            return unit::ConfigError{"unit.toml", 0, liveKey_,
                                     "standard input is taken by " + holder + " already"};
        }
    }
    driver_->Simulated().Start();
    if (!liveKey_.empty()) {
        SimulatedPort& port = driver_->Simulated();
        live_ = std::make_unique<LiveGroupReader>(
            unit::DuplicateStdin(), "standard input",
            [&port](const CapturedGroup& g) { port.ReceiveLive(g.group, g.Clean()); },
            unit::ReportOnStderr);
    }
    return std::nullopt;
}

bool Com7Component::UsesHostDevice(std::string* which) const {
    std::string text;
    if (const std::string device = driver_->Host().Device(); !device.empty()) {
        text = "com.device = \"" + device + "\"";
    } else if (!liveKey_.empty()) {
        text = liveKey_ + " = \"-\"";
    } else {
        return false;
    }
    if (which != nullptr) {
        *which = text;
    }
    return true;
}

Com7Component* FindCom7(unit::VirtualUnit& unit) {
    return dynamic_cast<Com7Component*>(unit.FindComponent(kComponentName));
}

}  // namespace host::com7

host::unit::ComponentKind Com7ComponentKind() {
    return {"com", [] { return std::make_unique<host::com7::Com7Component>(); }};
}
