#include "host/components.h"

#include "host/com7/com7_component.h"
#include "host/controls/controls_component.h"
#include "host/gps1/gps1_component.h"
#include "host/race_component.h"
#include "host/sound/sound_component.h"
#include "host/touch/touch_component.h"

namespace host {

unit::Components HostComponents() {
    unit::Components kinds = controls::ControlKinds();
    kinds.insert(kinds.end(),
                 {Gps1ComponentKind(), Com7ComponentKind(), touch::TouchComponentKind(),
                  sound::SoundComponentKind(), RaceComponentKind()});
    return kinds;
}

}  // namespace host
