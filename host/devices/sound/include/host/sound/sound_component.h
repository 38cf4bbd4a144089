// The unit's sound: the "sound" component gives every unit loaded with
// SoundComponentKind() a wave output with its [sound] table:
//
//   [sound]
//   card = true                 # may play on the host's sound card (load only)
//   volume = 0xFFFFFFFF         # wave output volume, left word low, right high
//   [sound.fail]
//   playsound = 1               # PlaySound returns FALSE, last error 1
//   waveoutsetvolume = 1        # returns the code, the volume stays
//   waveoutgetvolume = 8        # returns the code, nothing is read
//
// The output records everything; it reaches the sound card only when the
// program asks for it (StartSoundCard) and the unit allows it, so tests and
// headless runs never touch the host's audio.
#pragma once

#include <string>

#include "host/sound/wave_output.h"
#include "host/unit/component.h"
#include "platform/result.h"

namespace host::unit {
class VirtualUnit;
}

namespace host::sound {

// The component's kind, "sound", to load a unit with.
unit::ComponentKind SoundComponentKind();

// The wave output of a unit loaded with the component, to be installed as
// platform::Services::sound; null for a unit loaded without. It
// lives as long as the unit, so its volume outlives the console.
WaveOutput* UnitWaveOutput(const unit::VirtualUnit& unit);

// Plays the unit's sound on the host's sound card too, when its unit.toml
// allows it (sound.card); the reason when it does not or there is no sound
// card. The output keeps recording either way.
platform::Result<void> StartSoundCard(const unit::VirtualUnit& unit);

// --audio-out FILE: writes the run's sound as it was heard (see
// RecordingSink::WriteSession), or why it could not.
platform::Result<void> WriteAudioOut(const unit::VirtualUnit& unit, const std::string& path);

}  // namespace host::sound
