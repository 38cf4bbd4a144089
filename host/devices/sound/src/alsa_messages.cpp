#include "alsa_messages.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace host::sound::detail {

namespace {

// ALSA's handler is a C variadic function; every message it is given is dropped.
void Drop(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
          const char* /*fmt*/, ...) {}

}  // namespace

void SilenceAlsaMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Drop); });
}

}  // namespace host::sound::detail
