// The tone generator of the "Audio" page: builds looping waves (one whole
// number of cycles of a tone, or the six-second sweep) as RIFF/WAVE images in
// the one wave buffer it owns. The sound player reads that buffer while it
// plays, so the object never moves and is never copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class CToneGenerator {
  public:
    static constexpr std::uint32_t kSampleRate = 48000;
    // The sweep is the largest wave: 6 s of 16-bit samples.
    static constexpr std::uint32_t kSweepSamples = 6 * kSampleRate;
    static constexpr std::size_t kWaveBufferSize = 44 + 2 * std::size_t{kSweepSamples};

    CToneGenerator();
    virtual ~CToneGenerator();
    CToneGenerator(const CToneGenerator&) = delete;
    CToneGenerator& operator=(const CToneGenerator&) = delete;
    CToneGenerator(CToneGenerator&&) = delete;
    CToneGenerator& operator=(CToneGenerator&&) = delete;

    // A tone of `frequency` Hz: 480 samples for 100, 96 for 500, 48 for any
    // other value (0 gives silence).
    void BuildToneWave(std::uint32_t frequency);
    // 80 Hz rising to 5120 Hz over 60 segments of 0.1 s, the period re-chosen
    // at the end of every cycle.
    void BuildSweepWave();

    // The buffer the sound player is handed (always kWaveBufferSize bytes).
    [[nodiscard]] const std::uint8_t* GetWaveBuffer() const { return m_pWaveBuffer.get(); }
    // Bytes of the last built image, header included; 0 before the first build.
    [[nodiscard]] std::size_t GetWaveSize() const { return m_nWaveSize; }
    [[nodiscard]] std::span<const std::uint8_t> GetWave() const {
        return {m_pWaveBuffer.get(), m_nWaveSize};
    }
    [[nodiscard]] std::uint32_t GetSampleRate() const { return m_nSampleRate; }

    // Samples in the tone built for `frequency`: 480, 96 or 48.
    static std::uint32_t ToneSampleCount(std::uint32_t frequency);

  private:
    void WriteHeader(std::uint32_t sampleCount);

    std::uint32_t m_nSampleRate = kSampleRate;
    std::unique_ptr<std::uint8_t[]> m_pWaveBuffer;
    std::size_t m_nWaveSize = 0;
};
