#pragma once

// Cuts the receiver's byte stream into lines at the carriage return. The
// partial line at the end of a chunk is kept for the next chunk, so every
// complete sentence is handed over exactly once however the driver cuts its
// chunks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

class CGpsLineAssembler {
  public:
    // Bytes a line may take, its carriage return included.
    static constexpr std::size_t LINE_SIZE = 256;

    // Takes n bytes. onLine(const char* line, std::size_t length) receives each
    // line from its first byte up to and including its carriage return. A line
    // feed or a zero byte gives up the line gathered so far. A line that runs
    // past LINE_SIZE bytes without a carriage return is dropped up to its
    // carriage return.
    template <class OnLine>
    void Feed(const std::uint8_t* bytes, std::size_t n, OnLine&& onLine) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t b = bytes[i];
            if (b == '\n' || b == '\0') {
                Reset();
                continue;
            }
            if (m_bDropping) {
                if (b == '\r') {
                    Reset();
                }
                continue;
            }
            m_line[m_nPos++] = static_cast<char>(b);
            if (b == '\r') {
                onLine(static_cast<const char*>(m_line.data()), m_nPos);
                Reset();
            } else if (m_nPos == LINE_SIZE) {
                // Only the over-long line is dropped, up to its end; the rest
                // of the chunk goes on, since the good sentences after it
                // would be lost with it.
                Reset();
                m_bDropping = true;
            }
        }
    }

    // Bytes of the line gathered so far.
    [[nodiscard]] std::size_t Pending() const noexcept { return m_nPos; }
    [[nodiscard]] bool Dropping() const noexcept { return m_bDropping; }

  private:
    void Reset() noexcept {
        std::memset(m_line.data(), 0, m_nPos);
        m_nPos = 0;
        m_bDropping = false;
    }

    std::array<char, LINE_SIZE> m_line{};
    std::size_t m_nPos = 0;
    bool m_bDropping = false;
};
