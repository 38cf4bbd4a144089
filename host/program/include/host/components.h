// The host's components of the virtual unit (the control devices LOG1:,
// INF1:, PWM1:, DSK1:, NAT1:, the GPS receiver, tuner module, touch panel and
// sound, and the race only test units name): the kinds every unit of the
// host programs is loaded with, so that their unit.toml tables are known.
#pragma once

#include "host/unit/component.h"

namespace host {

// Every host component kind this build has.
unit::Components HostComponents();

}  // namespace host
