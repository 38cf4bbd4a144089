#include "audio/tone_choice.h"

#include "audio/tone_generator.h"

ToneChoice LastCheckedChoice(std::span<const bool, kToneChoices.size()> checked) {
    ToneChoice choice = kNoToneChoice;
    for (std::size_t i = 0; i < kToneChoices.size(); ++i) {
        if (checked[i]) {
            choice = kToneChoices[i];
        }
    }
    return choice;
}

void BuildChoiceWave(CToneGenerator& generator, const ToneChoice& choice) {
    if (choice.kind == WaveKind::Sweep) {
        generator.BuildSweepWave();
    } else {
        generator.BuildToneWave(choice.frequency);
    }
}
