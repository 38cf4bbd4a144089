#include "audio/tone_generator.h"

#include "audio/fixed_sine.h"
#include "audio/sweep_table.h"
#include "audio/wave_header.h"

namespace {

static_assert(CToneGenerator::kWaveBufferSize == 576044);

// Sweep segments: 60 of 0.1 s, each between two neighbouring table entries.
constexpr std::int32_t kSegmentSamples = 4800;
static_assert(CToneGenerator::kSweepSamples / kSegmentSamples + 1 == SweepFrequencyTable.size());

inline void StoreSample(std::uint8_t* samples, std::uint32_t index, std::int16_t value) {
    StoreLe16(samples + std::size_t{index} * kBytesPerSample, static_cast<std::uint16_t>(value));
}

}  // namespace

CToneGenerator::CToneGenerator()
    : m_pWaveBuffer(std::make_unique<std::uint8_t[]>(kWaveBufferSize)) {}

CToneGenerator::~CToneGenerator() = default;

std::uint32_t CToneGenerator::ToneSampleCount(std::uint32_t frequency) {
    // One cycle of 100 Hz and of 500 Hz; a whole number of cycles of every
    // multiple of 1 kHz in 1 ms.
    if (frequency == 100) {
        return 480;
    }
    if (frequency == 500) {
        return 96;
    }
    return 48;
}

void CToneGenerator::WriteHeader(std::uint32_t sampleCount) {
    WriteWaveHeader(std::span<std::uint8_t, kWaveHeaderSize>(m_pWaveBuffer.get(), kWaveHeaderSize),
                    m_nSampleRate, sampleCount);
    m_nWaveSize = kWaveHeaderSize + std::size_t{sampleCount} * kBytesPerSample;
}

void CToneGenerator::BuildToneWave(std::uint32_t frequency) {
    const std::uint32_t count = ToneSampleCount(frequency);
    WriteHeader(count);
    std::uint8_t* samples = m_pWaveBuffer.get() + kWaveHeaderSize;
    // The phase accumulator is a 32-bit word growing by frequency * 1024 per
    // sample; unsigned, so an unexpected frequency wraps instead of overflowing.
    const std::uint32_t step = frequency * 1024U;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t phase = (i * step) / m_nSampleRate;
        StoreSample(samples, i, SineSample(static_cast<int>(phase)));
    }
}

void CToneGenerator::BuildSweepWave() {
    WriteHeader(kSweepSamples);
    std::uint8_t* samples = m_pWaveBuffer.get() + kWaveHeaderSize;
    const auto rate = static_cast<std::int32_t>(m_nSampleRate);
    const auto& table = SweepFrequencyTable;

    std::int32_t period = rate / (table[0] >> 10);
    std::int32_t count = 0;
    std::size_t segment = 0;
    std::int32_t inSegment = -1;
    for (std::uint32_t j = 0; j < kSweepSamples; ++j) {
        ++count;
        if (++inSegment == kSegmentSamples) {
            inSegment = 0;
        }
        if (inSegment == 0) {
            ++segment;
        }
        if (count == period) {
            // A cycle has ended: hold the interpolated frequency, in whole
            // hertz, for the next whole cycle.
            const std::int32_t low = table[segment - 1];
            const std::int32_t high = table[segment];
            const std::int32_t frequency = low + ((high - low) * inSegment) / kSegmentSamples;
            period = rate / (frequency >> 10);
            count = 0;
        }
        StoreSample(samples, j, SineSample((count * 1024) / period));
    }
}
