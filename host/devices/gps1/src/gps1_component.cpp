#include "host/gps1/gps1_component.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "devices/gps1.h"
#include "gpsd_address.h"
#include "gpsd_client.h"
#include "host/gps1/gps1_driver.h"
#include "host/unit/component.h"
#include "host/unit/host_report.h"
#include "host/unit/regular_file.h"
#include "host/unit/scheduler.h"
#include "host/unit/virtual_unit.h"
#include "host_stream.h"
#include "nmea_track.h"
#include "pvsns.h"
#include "replay_plan.h"

namespace host::gps1 {

namespace {

constexpr std::int64_t kMaxPressureTenths = 65535;
constexpr std::int64_t kMinGradientTenths = -32768;
constexpr std::int64_t kMaxGradientTenths = 32767;

struct Settings {
    std::uint32_t baud = 9600;
    std::uint64_t cycleMs = 1000;
    std::size_t chunkMin = 16;
    std::size_t chunkMax = 128;
    bool loop = true;
    SensorValues sensors;
};

platform::DWORD Win32ErrorOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return platform::ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
            return platform::ERROR_ACCESS_DENIED;
        case EBUSY:
            return platform::ERROR_SHARING_VIOLATION;
        default:
            return platform::ERROR_GEN_FAILURE;
    }
}

class Gps1Component final : public unit::Component {
  public:
    ~Gps1Component() override {
        // Readers and the replay feed the driver: they go first.
        replay_.reset();
        stdinReader_.reset();
        gpsd_.reset();
        std::lock_guard lock(readersMutex_);
        serialReaders_.clear();
    }

    void Declare(unit::Schema& schema, unit::VirtualUnit& unit) override {
        scheduler_ = &unit.scheduler();
        driver_ = std::make_shared<Gps1Driver>(unit.scheduler());
        auto& table = unit.AddDevice(schema, "gps", kGpsDeviceName, driver_);
        table.String("version", [this](const std::string& v) { driver_->SetVersion(v); });
        table
            .Choice("source", {"file", "serial", "stdin", "gpsd", "none"},
                    [this](const std::string& v) { source_ = v; })
            .LoadOnly();
        table.Key(unit::LoadTime(unit::StringKey("gpsd")), [this](const unit::Value& v) {
            auto address = ParseGpsdAddress(std::get<std::string>(v));
            if (!address) {
                return std::string("expected HOST:PORT, for instance ") + std::string(kDefaultGpsd);
            }
            gpsdAddress_ = std::move(*address);
            return std::string();
        });
        table.Key(unit::LoadTime(unit::StringKey("file")),
                  [this, &unit](const unit::Value& v) { return LoadTrack(unit, v); });
        table.String("device", [this](const std::string& v) { device_ = v; }).LoadOnly();
        table.Key(unit::IntegerKey("baud", 1200, 115200), [this](const unit::Value& v) {
            const std::int64_t baud = std::get<std::int64_t>(v);
            if (!IsSupportedBaud(baud)) {
                return std::string(
                    "not a serial speed (1200, 2400, 4800, 9600, 19200, 38400, "
                    "57600 or 115200)");
            }
            Update([&](Settings& s) { s.baud = static_cast<std::uint32_t>(baud); });
            return std::string();
        });
        table.Integer("cycle_ms", 100, 60000, [this](std::int64_t v) {
            Update([&](Settings& s) { s.cycleMs = static_cast<std::uint64_t>(v); });
        });
        table.Integer("chunk_min", 1, 4096, [this](std::int64_t v) {
            Update([&](Settings& s) { s.chunkMin = static_cast<std::size_t>(v); });
        });
        table.Integer("chunk_max", 1, 4096, [this](std::int64_t v) {
            Update([&](Settings& s) { s.chunkMax = static_cast<std::size_t>(v); });
        });
        table.Boolean("loop", [this](bool v) { Update([&](Settings& s) { s.loop = v; }); });
        table.Key(unit::StringKey("pressure"), [this](const unit::Value& v) {
            return SetTenths(v, 0, kMaxPressureTenths,
                             [](Settings& s, std::int32_t t) { s.sensors.pressureTenths = t; });
        });
        table.Key(unit::StringKey("gradient"), [this](const unit::Value& v) {
            return SetTenths(v, kMinGradientTenths, kMaxGradientTenths,
                             [](Settings& s, std::int32_t t) { s.sensors.gradientTenths = t; });
        });
        table.Boolean(
            "dr", [this](bool v) { Update([&](Settings& s) { s.sensors.deadReckoning = v; }); });
        table.Boolean("cradle",
                      [this](bool v) { Update([&](Settings& s) { s.sensors.cradle = v; }); });
    }

    unit::SetError Start(unit::VirtualUnit& unit) override {
        if (source_ == "stdin") {
            if (const std::string holder = unit.ClaimStandardInput("gps.source"); !holder.empty()) {
                return unit::ConfigError{"unit.toml", 0, "gps.source",
                                         "standard input is taken by " + holder + " already"};
            }
        }
        if (source_ == "file") {
            if (!track_) {
                return unit::ConfigError{"unit.toml", 0, "gps.file",
                                         "required when gps.source is \"file\""};
            }
            replay_ = std::make_unique<unit::SimThread>(
                *scheduler_, [this](const std::stop_token& stop) { Replay(stop); });
        } else if (source_ == "serial") {
            if (device_.empty()) {
                return unit::ConfigError{"unit.toml", 0, "gps.device",
                                         "required when gps.source is \"serial\""};
            }
            driver_->SetHooks([this](unit::DeviceOpen& open) { return OpenSerialFor(open); },
                              [this](unit::DeviceOpen& open) { CloseSerialFor(open); });
        } else if (source_ == "stdin") {
            stdinInserter_ = MakeInserter();
            stdinReader_ = std::make_unique<HostStreamReader>(
                DuplicateStdin(),
                [this](std::string_view bytes) { driver_->Feed(stdinInserter_->Feed(bytes)); });
        } else if (source_ == "gpsd") {
            gpsdInserter_ = MakeInserter();
            gpsd_ = std::make_unique<GpsdClient>(
                gpsdAddress_,
                [this](std::string_view bytes) { driver_->Feed(gpsdInserter_->Feed(bytes)); },
                unit::ReportOnStderr);
        }
        return std::nullopt;
    }

    bool UsesHostDevice(std::string* which) const override {
        if (source_ != "serial" && source_ != "stdin" && source_ != "gpsd") {
            return false;
        }
        if (which != nullptr) {
            *which = "gps.source = \"" + source_ + "\"";
        }
        return true;
    }

    [[nodiscard]] Gps1Driver* driver() const { return driver_.get(); }

  private:
    template <class F>
    void Update(F change) {
        std::lock_guard lock(settingsMutex_);
        change(settings_);
    }

    Settings Snapshot() const {
        std::lock_guard lock(settingsMutex_);
        return settings_;
    }

    template <class F>
    std::string SetTenths(const unit::Value& v, std::int64_t min, std::int64_t max, F store) {
        std::int32_t tenths = 0;
        if (!ParseTenths(std::get<std::string>(v), &tenths) || tenths < min || tenths > max) {
            return "expected a decimal number with at most one digit after the point, from " +
                   std::to_string(min / 10) + "." + std::to_string(std::abs(min % 10)) + " to " +
                   std::to_string(max / 10) + "." + std::to_string(max % 10);
        }
        Update([&](Settings& s) { store(s, tenths); });
        return {};
    }

    std::string LoadTrack(unit::VirtualUnit& unit, const unit::Value& v) {
        const std::filesystem::path path = unit.Dir() / std::get<std::string>(v);
        // Read whole: a device or a pipe named here would never end.
        std::string text;
        if (const std::string why = unit::ReadRegularFile(path, &text); !why.empty()) {
            return "cannot read " + path.string() + ": " + why;
        }
        auto track = ParseTrack(text);
        if (!track) {
            return "no NMEA sentence in " + path.string();
        }
        track_ = std::move(*track);
        return {};
    }

    std::unique_ptr<PvsnsInserter> MakeInserter() {
        return std::make_unique<PvsnsInserter>([this] { return BuildPvsns(Snapshot().sensors); });
    }

    // One recorded cycle per period on the unit's clock, in chunks, while
    // some handle is open; the track runs on with the clock meanwhile.
    void Replay(const std::stop_token& stop) {
        const std::uint64_t t0 = scheduler_->NowMs();
        const auto inserter = MakeInserter();
        ChunkSizer sizer;
        std::uint64_t k = 0;
        for (;;) {
            if (driver_->OpenCount() == 0 && !driver_->WaitForOpen(stop)) {
                return;
            }
            Settings s = Snapshot();
            const std::uint64_t now = scheduler_->NowMs();
            // The first cycle that starts from now on.
            k = std::max(k, (now - t0 + s.cycleMs - 1) / s.cycleMs);
            if (!s.loop && k >= track_->cycles.size()) {
                return;
            }
            const std::uint64_t start = t0 + k * s.cycleMs;
            // The cycle is made when it starts, with the values of that moment.
            if (!scheduler_->SleepUntil(start, stop)) {
                return;
            }
            // A handle opened and closed again while this thread was on its
            // way here (the system opens and closes within one command, as
            // this thread wakes) gets no cycle: the chunk plan must not
            // depend on which of the two threads ran first.
            if (driver_->OpenCount() == 0) {
                continue;
            }
            s = Snapshot();
            const std::string bytes =
                inserter->Feed(track_->cycles[static_cast<std::size_t>(k % track_->cycles.size())]);
            const std::vector<std::size_t> sizes =
                sizer.Split(bytes.size(), s.chunkMin, s.chunkMax);
            const std::vector<std::uint64_t> offsets = ArrivalOffsets(sizes, s.baud, s.cycleMs);
            std::size_t pos = 0;
            for (std::size_t j = 0; j < sizes.size() && driver_->OpenCount() > 0; ++j) {
                if (!scheduler_->SleepUntil(start + offsets[j], stop)) {
                    return;
                }
                driver_->Feed(std::string_view(bytes).substr(pos, sizes[j]));
                pos += sizes[j];
            }
            ++k;
        }
    }

    platform::DWORD OpenSerialFor(unit::DeviceOpen& open) {
        int error = 0;
        UniqueFd fd = OpenSerial(device_, Snapshot().baud, &error);
        if (!fd.valid()) {
            return Win32ErrorOf(error);
        }
        auto reader = std::make_unique<SerialReader>();
        reader->inserter = MakeInserter();
        PvsnsInserter* inserter = reader->inserter.get();
        reader->stream = std::make_unique<HostStreamReader>(
            std::move(fd),
            [this, inserter](std::string_view bytes) { driver_->Feed(inserter->Feed(bytes)); });
        std::lock_guard lock(readersMutex_);
        serialReaders_[&open] = std::move(reader);
        return platform::ERROR_SUCCESS;
    }

    void CloseSerialFor(unit::DeviceOpen& open) {
        std::unique_ptr<SerialReader> reader;
        {
            std::lock_guard lock(readersMutex_);
            auto it = serialReaders_.find(&open);
            if (it == serialReaders_.end()) {
                return;
            }
            reader = std::move(it->second);
            serialReaders_.erase(it);
        }
        // Joined here, outside the lock.
    }

    struct SerialReader {
        std::unique_ptr<PvsnsInserter> inserter;
        std::unique_ptr<HostStreamReader> stream;  // stops before the inserter goes
        ~SerialReader() { stream.reset(); }
    };

    unit::Scheduler* scheduler_ = nullptr;
    std::shared_ptr<Gps1Driver> driver_;
    std::string source_ = "none";
    std::string device_;
    std::optional<NmeaTrack> track_;

    mutable std::mutex settingsMutex_;
    Settings settings_;

    std::mutex readersMutex_;
    std::map<const unit::DeviceOpen*, std::unique_ptr<SerialReader>> serialReaders_;
    std::unique_ptr<PvsnsInserter> stdinInserter_;
    std::unique_ptr<HostStreamReader> stdinReader_;
    GpsdAddress gpsdAddress_ = *ParseGpsdAddress(kDefaultGpsd);
    std::unique_ptr<PvsnsInserter> gpsdInserter_;
    std::unique_ptr<GpsdClient> gpsd_;
    std::unique_ptr<unit::SimThread> replay_;
};

}  // namespace

Gps1Driver* FindGps1Driver(unit::VirtualUnit& unit) {
    auto* component = dynamic_cast<Gps1Component*>(unit.FindComponent("gps"));
    return component != nullptr ? component->driver() : nullptr;
}

}  // namespace host::gps1

host::unit::ComponentKind Gps1ComponentKind() {
    return {"gps", [] { return std::make_unique<host::gps1::Gps1Component>(); }};
}
