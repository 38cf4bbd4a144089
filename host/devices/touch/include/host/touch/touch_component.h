// The touch panel as a component of the virtual unit: declares [touch] in
// unit.toml and gives the program the unit's platform::Touch.
//
//   auto loaded = host::unit::LoadUnit(dir, {host::touch::TouchComponentKind()}, options);
//   platform::Services s = (*loaded)->Services();
//   s.touch = host::touch::TouchOf(**loaded);
#pragma once

#include "host/unit/component.h"
#include "platform/services.h"

namespace host::unit {
class VirtualUnit;
}

namespace host::touch {

class TouchPanel;

// The "touch" component's kind, to load a unit with. Keys:
// touch.calib_delay_ms (integer, default 1500, run time; negative: calib.dat
// is never written).
unit::ComponentKind TouchComponentKind();

// The touch panel of a loaded unit; null when the unit was loaded without
// the component.
TouchPanel* PanelOf(unit::VirtualUnit& unit);
platform::Touch* TouchOf(unit::VirtualUnit& unit);

}  // namespace host::touch
