// The unit's "COM7:" component: the [com] table of unit.toml and the port
// behind it. A unit loaded with Com7ComponentKind() has it.
//
//   [com]
//   device = ""            # a host serial device instead of the module ("/dev/ttyUSB0")
//   silent = false         # the module takes no command and sends nothing (run time)
//   version = [1, 4, 2]    # the three numbers of the version reply
//   frequency = 875        # where the module is tuned at power-up
//   noise_level = -1       # the level reported away from any station
//   strong_level = 30      # a station from this level on sets the strength flag
//   seek_step_ms = 15      # seek time per 100 kHz scanned
//   chunk_max = 12         # the most bytes the line hands over at once
//   [[com.station]]
//   frequency = 1003       # 100 kHz units, 875..1080
//   level = 55             # -128..127
//   pi = 0xE203            # programme identification, not 0
//   ps = "RADIO 3"         # up to 8 characters, padded with spaces
//   groups = "yle.spy"     # recorded groups instead of the station's own cycle
//                          # (then pi and ps are optional and lay over them);
//                          # "-": live groups from standard input
//
// plus com.absent and [com.fail] as every device has.
#pragma once

#include <memory>
#include <string>

#include "host/unit/component.h"
#include "host/unit/virtual_unit.h"

namespace host::com7 {

class Com7Driver;
class LiveGroupReader;

class Com7Component final : public unit::Component {
  public:
    Com7Component();
    ~Com7Component() override;

    void Declare(unit::Schema& schema, unit::VirtualUnit& unit) override;
    unit::SetError Start(unit::VirtualUnit& unit) override;
    // com.device, or a station with live groups.
    bool UsesHostDevice(std::string* which) const override;

    Com7Driver& Driver() { return *driver_; }

  private:
    std::string AddStation(unit::VirtualUnit& unit, const unit::Record& record);

    std::shared_ptr<Com7Driver> driver_;
    int stations_ = 0;
    std::string liveKey_;                    // the station that takes standard input
    std::unique_ptr<LiveGroupReader> live_;  // feeds the driver: goes first
};

// The component of a unit loaded with it, or null.
Com7Component* FindCom7(unit::VirtualUnit& unit);

}  // namespace host::com7

// The component's kind, "com", to load a unit with.
host::unit::ComponentKind Com7ComponentKind();
