// What crosses a unit's devices, on the unit's clock: the bytes written to
// and read from its ports, its control requests, the changes to its file
// system and registry, the sounds started and stopped. Kept only once a run
// asks for it (a script's expectations, the monitor); until then every place
// that reports costs one atomic load.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace platform {

enum class TrafficKind : std::uint8_t {
    Write,           // bytes the system wrote to a port
    Read,            // bytes a port (or GPS1:'s read request) handed the system
    Control,         // a DeviceIoControl: code, input, output, result, last error
    FileCreate,      // a file made, or emptied by its opening
    FileWrite,       // bytes written to a file
    FileCopy,        // text: the source; path: the copy
    FileDelete,      // path
    RegistryCreate,  // path: the key; text: its values
    RegistryDelete,  // path: the key
    SoundStart,      // sound: what plays
    SoundStop,       // what played is cut off
    SoundVolume,     // sound.volume: the new wave output volume
};

struct TrafficSound {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint64_t lengthMs = 0;  // one pass of the clip
    bool loop = false;
    DWORD volume = 0;        // left channel in the low word, right in the high
    double frequencyHz = 0;  // of the first channel, from its zero crossings
    bool operator==(const TrafficSound&) const = default;
};

struct TrafficEvent {
    std::uint64_t atMs = 0;  // the unit's clock
    std::string device;      // "COM7:", "PWM1:" ...; "file", "registry", "sound"
    TrafficKind kind = TrafficKind::Write;
    std::vector<std::uint8_t> bytes;   // written or read; a control's input; a file's write
    std::vector<std::uint8_t> output;  // a control's output
    std::string path;                  // a file's unit path, a registry key
    std::string text;                  // a copy's source, a key's values
    DWORD code = 0;                    // a control's code
    BOOL result = TRUE;
    DWORD error = 0;  // the last error of a failed call
    TrafficSound sound;
    bool operator==(const TrafficEvent&) const = default;
};

// An event of that kind on that device, the rest to be filled in.
TrafficEvent TrafficOf(std::string device, TrafficKind kind);

// The first bytes of a buffer a record keeps (a control's buffers, a file's
// write); ports keep all of theirs.
inline constexpr std::size_t kTrafficBufferBytes = 4096;

class Traffic {
  public:
    using Clock = std::function<std::uint64_t()>;
    using Listener = std::function<void(const TrafficEvent&)>;

    explicit Traffic(Clock clock = {});
    Traffic(const Traffic&) = delete;
    Traffic& operator=(const Traffic&) = delete;
    ~Traffic() = default;

    // Whether anything is to be reported: the one check on every path.
    [[nodiscard]] bool On() const { return on_.load(std::memory_order_relaxed); }

    // From now on events are kept (Since). Any thread.
    void Keep();
    // Each event is also handed to listener as it is recorded, in order, on
    // the reporting thread (which must not record from inside it).
    void Listen(Listener listener);

    // Stamps the event with the clock and keeps or hands it on; nothing
    // while off.
    void Record(TrafficEvent event);

    // The number of the next event to come.
    [[nodiscard]] std::uint64_t End() const;
    // The events kept numbered from `from` on (the oldest are let go past
    // kMaxEvents); *end gets End().
    std::vector<TrafficEvent> Since(std::uint64_t from, std::uint64_t* end = nullptr) const;

    static constexpr std::size_t kMaxEvents = 200000;

  private:
    Clock clock_;
    std::atomic<bool> on_{false};
    mutable std::mutex mutex_;
    bool keep_ = false;
    std::vector<Listener> listeners_;
    std::deque<TrafficEvent> events_;
    std::uint64_t first_ = 0;  // the number of events_.front()
};

// A buffer's first kTrafficBufferBytes bytes, or none for a null buffer.
std::vector<std::uint8_t> TrafficBytes(const void* data, std::size_t size);

}  // namespace platform
