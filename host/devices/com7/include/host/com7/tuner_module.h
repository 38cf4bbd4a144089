// The FM tuner module with its RDS decoder, as the console meets it on the
// far end of COM7:. It takes the 5-byte commands (FF, code, two parameters,
// code), answers with 10-byte frames (3F, words A to D, 3F; word A zero for a
// reply) after its own processing time, and while it is tuned to a station
// it passes on that station's RDS groups at the air rate of 1187.5 bit/s,
// 104 bits a group (about 11.4 groups a second): its own cycle, its capture
// as recorded, or the groups handed to it live. Time is in microseconds and
// only moves as the caller says: the module is pure logic.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "devices/com7.h"
#include "host/com7/station.h"

namespace host::com7 {

inline constexpr int kBandChannels = kRdsTopFrequency - kRdsBaseFrequency + 1;

// One RDS group on air, rounded to the microsecond: group n of a stream
// that starts at 0 is ready at GroupUs(n).
constexpr std::uint64_t GroupUs(std::uint64_t n) {
    return n * 104 * 2'000'000 / 2375;
}
// What the module takes to answer a command once its last byte is in.
inline constexpr std::uint64_t kAnswerUs = 2'000;
// Live groups the module holds for the line; beyond it the oldest go, so
// that what it passes on stays current.
inline constexpr std::size_t kLiveGroupsHeld = 32;

struct ModuleConfig {
    std::vector<Station> stations;
    std::array<std::uint8_t, 3> version{1, 0, 0};
    int frequency = kRdsBaseFrequency;  // where it is tuned at power-up
    int noiseLevel = -1;                // the level away from any station
    int strongLevel = 30;               // from this level on a station sets the strength flag
    std::uint32_t seekStepMs = 15;      // per 100 kHz scanned
};

using ModuleFrame = std::array<std::uint8_t, kRdsFrameSize>;

struct TimedFrame {
    std::uint64_t readyUs = 0;
    ModuleFrame bytes{};
};

class TunerModule {
  public:
    explicit TunerModule(ModuleConfig config = {});

    // Settings the unit may change while it runs. Stations are kept as
    // loaded.
    ModuleConfig& Config() { return config_; }
    [[nodiscard]] const ModuleConfig& Config() const { return config_; }

    // Tunes to the configured power-up frequency, streaming from nowUs.
    void PowerUp(std::uint64_t nowUs);

    // Command bytes that reached the module, the last of them at atUs.
    // Anything that is not a well-formed command is skipped a byte at a
    // time until the next 0xFF.
    void Receive(std::span<const std::uint8_t> bytes, std::uint64_t atUs);

    // When the next frame is ready, if one is coming.
    [[nodiscard]] std::optional<std::uint64_t> NextFrameUs() const;
    // The next frame, in ready order, if it is ready by nowUs.
    std::optional<TimedFrame> TakeFrame(std::uint64_t nowUs);
    // Nobody heard what the module sent before nowUs: frames due before it
    // are dropped (a finished seek still retunes) and the RDS stream goes on
    // from nowUs.
    void Skip(std::uint64_t nowUs);
    // A group of the live station, come at atUs. It is passed on, at the
    // air rate, only while the module is tuned to that station; a group with
    // a block in error, or whose block A would read as a reply, is not.
    void ReceiveLive(const RdsGroup& group, bool clean, std::uint64_t atUs);

    [[nodiscard]] int Frequency() const { return frequency_; }
    [[nodiscard]] bool Muted() const { return muted_; }
    [[nodiscard]] bool Seeking() const { return seek_.has_value(); }
    // The station on the tuned frequency, if any.
    [[nodiscard]] const Station* Tuned() const;

  private:
    struct PendingSeek {
        TimedFrame reply;
        int frequency = 0;
    };

    void Execute(const std::array<std::uint8_t, kRdsCommandFrameSize>& command, std::uint64_t atUs);
    void Reply(std::uint8_t code, std::uint8_t d4, std::uint8_t d5, std::uint8_t d6,
               std::uint64_t readyUs);
    void TuneTo(int frequency, std::uint64_t streamFromUs);
    void StartSeek(bool up, std::uint64_t atUs);
    [[nodiscard]] const Station* StationOn(int frequency) const;
    [[nodiscard]] std::uint8_t LevelByte() const;
    [[nodiscard]] std::optional<std::uint64_t> NextGroupUs() const;

    ModuleConfig config_;
    int frequency_ = kRdsBaseFrequency;
    bool muted_ = true;
    std::array<std::uint8_t, kRdsCommandFrameSize> command_{};
    std::size_t commandBytes_ = 0;
    std::vector<TimedFrame> replies_;  // in ready order
    std::optional<PendingSeek> seek_;
    // The RDS stream of the tuned station: group k of the current run is
    // ready at streamStartUs_ + GroupUs(k); cycle_ counts groups sent, so a
    // restarted stream carries on with the next group.
    bool streaming_ = false;
    std::uint64_t streamStartUs_ = 0;
    std::uint64_t streamIndex_ = 0;
    std::uint64_t cycle_ = 0;
    // A capture: group n of its schedule is ready at captureBaseUs_ +
    // OffsetUs(n); captureNext_ is the next one to send.
    std::uint64_t captureBaseUs_ = 0;
    std::uint64_t captureNext_ = 0;
    // Live groups waiting for the line, each with the time it is ready.
    std::deque<TimedFrame> live_;
    std::uint64_t liveFreeUs_ = 0;  // when the next live group may be ready
};

}  // namespace host::com7
