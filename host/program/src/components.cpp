#include "host/components.h"

#include "com7/com7_component.h"
#include "gps1/gps1_component.h"
#include "host_touch/touch_component.h"
#include "sound/sound_component.h"

namespace host {

unit::Components HostComponents() {
    return {Gps1ComponentKind(), Com7ComponentKind(), host_touch::TouchComponentKind(),
            sound::SoundComponentKind()};
}

}  // namespace host
