// The expectations on the unit beneath the screen, checked there and then:
// the traffic across its devices since the check before, its files, its
// registry and its sound.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/result.h"
#include "script/script.h"
#include "script/target.h"

namespace script::detail {

class UnitExpectations {
  public:
    explicit UnitExpectations(Target& target) : target_(target) {}

    platform::Result<void> Check(const ExpectSent& e);
    platform::Result<void> Check(const ExpectControl& e);
    platform::Result<void> Check(const ExpectFile& e) const;
    platform::Result<void> Check(const ExpectRegistry& e) const;
    platform::Result<void> Check(const ExpectSound& e) const;

  private:
    Target& target_;
    std::map<std::string, std::uint64_t> sentSeen_;  // per device: events already looked at
    std::uint64_t controlSeen_ = 0;
};

// "FF 73 7D F0 73", or "nothing" for no bytes.
std::string HexText(const std::vector<std::uint8_t>& bytes);

}  // namespace script::detail
