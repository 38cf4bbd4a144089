// Reads back the images the tone generator builds, byte by byte, so the tests
// do not depend on the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace test_support {

inline std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8);
}

inline std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return Le16(b, at) | (Le16(b, at + 2) << 16);
}

inline std::string Tag(std::span<const std::uint8_t> b, std::size_t at) {
    return {reinterpret_cast<const char*>(b.data() + at), 4};
}

// The samples after the 44-byte header, as many as the data chunk says.
inline std::vector<std::int16_t> Samples(std::span<const std::uint8_t> b) {
    const std::size_t count = Le32(b, 40) / 2;
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(Le16(b, 44 + 2 * i)));
    }
    return out;
}

// Indices k where the signal rises through zero (s[k-1] < 0 <= s[k]).
inline std::vector<std::size_t> RisingEdges(const std::vector<std::int16_t>& s) {
    std::vector<std::size_t> edges;
    for (std::size_t k = 1; k < s.size(); ++k) {
        if (s[k - 1] < 0 && s[k] >= 0) {
            edges.push_back(k);
        }
    }
    return edges;
}

// The fundamental in Hz of `loop` played repeatedly for `seconds`, from the
// mean distance between rising zero crossings, each placed between its two
// samples by linear interpolation. 0 when fewer than two crossings occur.
inline double EstimateLoopPitch(const std::vector<std::int16_t>& loop, double sampleRate,
                                double seconds) {
    const auto total = static_cast<std::size_t>(sampleRate * seconds);
    std::vector<std::int16_t> played(total);
    for (std::size_t i = 0; i < total && !loop.empty(); ++i) {
        played[i] = loop[i % loop.size()];
    }
    const std::vector<std::size_t> edges = RisingEdges(played);
    if (edges.size() < 2) {
        return 0.0;
    }
    auto at = [&](std::size_t k) {
        const double before = played[k - 1];
        const double after = played[k];
        return static_cast<double>(k - 1) + (-before) / (after - before);
    };
    const double span = at(edges.back()) - at(edges.front());
    return static_cast<double>(edges.size() - 1) * sampleRate / span;
}

}  // namespace test_support
