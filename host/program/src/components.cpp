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

unit::Components HostComponents() {
    unit::Components kinds;
#if KESTRIN_HAVE_HOST_GPS1
    kinds.push_back(Gps1ComponentKind());
#endif
#if KESTRIN_HAVE_HOST_COM7
    kinds.push_back(Com7ComponentKind());
#endif
#if KESTRIN_HAVE_HOST_TOUCH
    kinds.push_back(host_touch::TouchComponentKind());
#endif
#if KESTRIN_HAVE_HOST_SOUND
    kinds.push_back(sound::SoundComponentKind());
#endif
    return kinds;
}

}  // namespace host
