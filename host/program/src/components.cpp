#include "host/components.h"

#include "com7/com7_component.h"
#include "gps1/gps1_component.h"
#include "host_touch/touch_component.h"
#include "sound/sound_component.h"

namespace host {

void RegisterHostComponents() {
    RegisterGps1Component();
    RegisterCom7Component();
    host_touch::RegisterTouchComponent();
    sound::RegisterSoundComponent();
}

}  // namespace host
