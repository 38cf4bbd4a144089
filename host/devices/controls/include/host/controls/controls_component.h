// The unit's small control devices as components of the virtual unit: each
// driver answers DeviceIoControl codes only and declares its own table of
// unit.toml ([log], [inf], [pwm], [dsk], [nat]) with absent and fail.
//
//   auto loaded = host::unit::LoadUnit(dir, host::controls::ControlKinds(), options);
//   host::controls::PwmDriver* pwm = host::controls::PwmOf(**loaded);   // duty, automode
#pragma once

#include "host/unit/component.h"

namespace host::unit {
class VirtualUnit;
}

namespace host::controls {

class LogDriver;
class InfDriver;
class PwmDriver;
class DskDriver;
class NatDriver;

// The kinds, named as their tables: "log" (LOG1:), "inf" (INF1:), "pwm"
// (PWM1:, backlight and photo sensor), "dsk" (DSK1:), "nat" (NAT1:).
unit::ComponentKind LogComponentKind();
unit::ComponentKind InfComponentKind();
unit::ComponentKind PwmComponentKind();
unit::ComponentKind DskComponentKind();
unit::ComponentKind NatComponentKind();
// All five, in that order.
unit::Components ControlKinds();

// A loaded unit's driver; null when the unit was loaded without its kind.
LogDriver* LogOf(unit::VirtualUnit& unit);
InfDriver* InfOf(unit::VirtualUnit& unit);
PwmDriver* PwmOf(unit::VirtualUnit& unit);
DskDriver* DskOf(unit::VirtualUnit& unit);
NatDriver* NatOf(unit::VirtualUnit& unit);

}  // namespace host::controls
