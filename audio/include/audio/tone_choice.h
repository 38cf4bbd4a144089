// The choices of the "Sine wave" group: which radio builds which wave.
#pragma once

#include <array>
#include <cstdint>
#include <span>

class CToneGenerator;

enum class WaveKind { Tone, Sweep };

struct ToneChoice {
    int controlId;            // the radio button; 0 for "none checked"
    WaveKind kind;            // the sweep ignores the frequency
    std::uint32_t frequency;  // Hz handed to the tone builder; 0 is silence
};

// In the order PLAY reads the radios.
inline constexpr std::array<ToneChoice, 7> kToneChoices = {{
    {1037, WaveKind::Tone, 100},
    {1038, WaveKind::Tone, 500},
    {1039, WaveKind::Tone, 1000},
    {1040, WaveKind::Tone, 2000},
    {1041, WaveKind::Tone, 5000},
    {1042, WaveKind::Tone, 0},
    {1043, WaveKind::Sweep, 0},
}};

// What PLAY builds when no radio is checked: 1 ms of silence.
inline constexpr ToneChoice kNoToneChoice = {0, WaveKind::Tone, 0};

// The radios' check states in the order of kToneChoices; the last one
// checked wins.
ToneChoice LastCheckedChoice(std::span<const bool, kToneChoices.size()> checked);

// Builds the choice's wave into the generator's buffer.
void BuildChoiceWave(CToneGenerator& generator, const ToneChoice& choice);
