#include "audio/tone_player.h"

#include "platform/api.h"
#include "ui/message_box.h"

platform::BOOL PlayToneChoice(CToneGenerator& generator, const ToneChoice& choice) {
    StopTone();
    BuildChoiceWave(generator, choice);
    if (platform::PlaySound(generator.GetWaveBuffer(), kToneLoopFlags) == platform::FALSE) {
        ui::AfxMessageBox("PlaySound() failed.", ui::MB_ICONINFORMATION);
        return platform::FALSE;
    }
    return platform::TRUE;
}

void StopTone() {
    platform::PlaySound(nullptr, platform::SND_ASYNC);
}
