// --monitor DEVICES: the unit's traffic in words on standard error as it
// happens, one line an event (a frame or an NMEA line cut across reads is
// one line when it is whole).
#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/result.h"
#include "platform/traffic.h"
#include "script/target.h"
#include "script/traffic_text.h"

namespace program {

// What --monitor names, as bits of Options::monitor.
enum MonitorDevice : unsigned {
    kMonitorCom7 = 1U << 0,      // COM7:, both ways
    kMonitorGps1 = 1U << 1,      // GPS1:'s bytes as NMEA lines
    kMonitorIoctl = 1U << 2,     // every control request
    kMonitorFile = 1U << 3,      // files created, written, copied, deleted
    kMonitorRegistry = 1U << 4,  // keys made and removed
    kMonitorSound = 1U << 5,     // sounds started and stopped, the volume
    kMonitorAll = (1U << 6) - 1,
};

// "com7,gps1,ioctl" or "all"; why not, naming the word.
platform::Result<unsigned> ParseMonitorDevices(std::string_view text);

class TrafficMonitor {
  public:
    // Writes the target's traffic on devices to `to` from now on; a target
    // that cannot see its traffic gets one line saying so.
    TrafficMonitor(unsigned devices, script::Target& target, std::FILE* to);
    TrafficMonitor(const TrafficMonitor&) = delete;
    TrafficMonitor& operator=(const TrafficMonitor&) = delete;
    ~TrafficMonitor() = default;

    // Whether devices take the event.
    static bool Takes(unsigned devices, const platform::TrafficEvent& event);

  private:
    void Show(const platform::TrafficEvent& event);

    unsigned devices_;
    std::FILE* to_;
    script::TrafficDecoder decoder_;  // only from Show, which the traffic calls in order
};

}  // namespace program
