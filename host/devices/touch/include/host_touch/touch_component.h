// The touch panel as a component of the virtual unit: declares [touch] in
// unit.toml and gives the program the unit's platform::Touch.
//
//   host_touch::RegisterTouchComponent();          // before LoadUnit
//   auto loaded = unit::LoadUnit(dir, options);
//   platform::Services s = (*loaded)->Services();
//   s.touch = host_touch::TouchOf(**loaded);
#pragma once

#include "platform/services.h"

namespace unit {
class VirtualUnit;
}

namespace host_touch {

class TouchPanel;

// Adds the "touch" component to every unit loaded from now on. Keys:
// touch.calib_delay_ms (integer, default 1500, run time; negative: calib.dat
// is never written).
void RegisterTouchComponent();

// The touch panel of a loaded unit; null when the component was not
// registered before the unit was loaded.
TouchPanel* PanelOf(unit::VirtualUnit& unit);
platform::Touch* TouchOf(unit::VirtualUnit& unit);

}  // namespace host_touch
