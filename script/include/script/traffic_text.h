// The unit's traffic in words: the tuner module's frames on COM7: as its
// commands and replies, GPS1:'s bytes as NMEA lines, control codes by their
// names in the device contract, file, registry and sound events as what
// they did.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/traffic.h"

namespace script {

class TrafficDecoder {
  public:
    TrafficDecoder();
    ~TrafficDecoder();
    TrafficDecoder(const TrafficDecoder&) = delete;
    TrafficDecoder& operator=(const TrafficDecoder&) = delete;

    // One text per thing the event completes: a frame or an NMEA line cut
    // across reads is given whole with the read that ends it (none with the
    // reads before), anything else one text of its own. The texts follow the
    // device's name: "sent FF 73 7D F0 73: Tune 100.0 MHz".
    std::vector<std::string> Decode(const platform::TrafficEvent& event);

  private:
    std::map<std::string, std::string> pending_;  // per device and direction: bytes held
};

// The event on its own (pieces cut across events as they are), the texts
// joined with "; ".
std::string DescribeTraffic(const platform::TrafficEvent& event);

// Bytes as upper-case hex pairs with a space between ("FF 73").
std::string HexBytes(std::span<const std::uint8_t> bytes);

// "   12345 ms COM7: sent FF 73 7D F0 73: Tune 100.0 MHz", one line, no line break.
std::string TrafficLine(const platform::TrafficEvent& event, const std::string& text);

}  // namespace script
