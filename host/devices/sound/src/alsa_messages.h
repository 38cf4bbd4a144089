// ALSA's own error printing. The library writes its configuration and
// device errors straight to standard error (eight lines on a machine without
// a sound card); SDL already turns the failure into one error string, which
// the program reports.
#pragma once

namespace host::sound::detail {

// Drops ALSA's error messages for the rest of the process. Call before SDL's
// audio starts, while no other thread uses ALSA.
void SilenceAlsaMessages();

}  // namespace host::sound::detail
