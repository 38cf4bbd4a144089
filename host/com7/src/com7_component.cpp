#include "com7/com7_component.h"

#include <string>

namespace com7 {

namespace {

constexpr const char* kComponentName = "com";
constexpr int kLevelMin = -128;
constexpr int kLevelMax = 127;

std::string AddStation(SimulatedPort& port, const unit::Record& record) {
    Station station;
    station.frequency = static_cast<int>(std::get<std::int64_t>(record.at("frequency")));
    station.pi = static_cast<std::uint16_t>(std::get<std::int64_t>(record.at("pi")));
    if (const auto level = record.find("level"); level != record.end()) {
        station.level = static_cast<int>(std::get<std::int64_t>(level->second));
    }
    const auto ps = EncodePsName(std::get<std::string>(record.at("ps")));
    if (!ps) {
        return "ps: at most 8 characters from U+0020..U+007E and U+00A0..U+00FF";
    }
    station.ps = *ps;
    std::string error;
    port.Configure([&](ModuleConfig& config) {
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

}  // namespace

void Com7Component::Declare(unit::Schema& schema, unit::VirtualUnit& unit) {
    driver_ = std::make_shared<Com7Driver>(unit.scheduler());
    SimulatedPort& port = driver_->Simulated();
    HostSerialPort& host = driver_->Host();
    auto& table = unit.AddDevice(schema, kComponentName, "COM7:", driver_);
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
        .Integer("frequency", kBandLow, kBandHigh,
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
            {unit::Required(unit::IntegerKey("frequency", kBandLow, kBandHigh)),
             unit::IntegerKey("level", kLevelMin, kLevelMax),
             unit::Required(unit::IntegerKey("pi", 1, 0xFFFF)),
             unit::Required(unit::StringKey("ps"))},
            [&port](const unit::Record& record, int /*line*/) { return AddStation(port, record); });
}

unit::SetError Com7Component::Start(unit::VirtualUnit& /*unit*/) {
    driver_->Simulated().Start();
    return std::nullopt;
}

std::string Com7Component::HostDevice() const {
    const std::string device = driver_->Host().Device();
    return device.empty() ? std::string() : "com.device = \"" + device + "\"";
}

Com7Component* FindCom7(unit::VirtualUnit& unit) {
    return dynamic_cast<Com7Component*>(unit.FindComponent(kComponentName));
}

}  // namespace com7

void RegisterCom7Component() {
    unit::RegisterComponent("com", [] { return std::make_unique<com7::Com7Component>(); });
}
