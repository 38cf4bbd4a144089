#include "host/components.h"

#if KESTRIN_HAVE_HOST_GPS1
#include "gps1/gps1_component.h"
#endif
#if KESTRIN_HAVE_HOST_COM7
#include "com7/com7_component.h"
#endif
#if KESTRIN_HAVE_HOST_TOUCH
#include "host_touch/touch_component.h"
#endif
#if KESTRIN_HAVE_HOST_SOUND
#include "sound/sound_component.h"
#endif

namespace host {

void RegisterHostComponents() {
#if KESTRIN_HAVE_HOST_GPS1
    RegisterGps1Component();
#endif
#if KESTRIN_HAVE_HOST_COM7
    RegisterCom7Component();
#endif
#if KESTRIN_HAVE_HOST_TOUCH
    host_touch::RegisterTouchComponent();
#endif
#if KESTRIN_HAVE_HOST_SOUND
    sound::RegisterSoundComponent();
#endif
}

}  // namespace host
