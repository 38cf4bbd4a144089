// Playing the tone generator's wave through the system sound player. The
// player reads the wave buffer while it plays, so the buffer is rebuilt only
// after the sound playing from it has been stopped.
#pragma once

#include "audio/tone_choice.h"
#include "audio/tone_generator.h"
#include "platform/services.h"
#include "platform/win_types.h"

// In memory, looped, returning at once: 0x0D.
inline constexpr platform::DWORD kToneLoopFlags =
    platform::SND_ASYNC | platform::SND_MEMORY | platform::SND_LOOP;

// Stops what plays, builds the choice's wave and plays it in a loop. FALSE
// after telling the user the player refused it.
platform::BOOL PlayToneChoice(CToneGenerator& generator, const ToneChoice& choice);

// Stops whatever plays; with nothing playing this does nothing visible.
void StopTone();
