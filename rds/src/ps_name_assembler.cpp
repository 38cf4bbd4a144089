#include "rds/ps_name_assembler.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kSegments = 4;

}  // namespace

std::optional<RdsPsName> PsNameAssembler::Feed(const RdsFrame& frame) {
    if (frame.kind != RdsFrameKind::RdsGroup) {
        return std::nullopt;
    }
    // Group type: bits 15..12 of block B, the high nibble of offset 3.
    if ((frame.At(3) & 0xF0U) != 0) {
        return std::nullopt;
    }
    // Segment address: bits 1..0 of block B; DI, MS and TA above it are not ours.
    const auto segment = static_cast<std::uint16_t>(frame.At(4) & 0x03U);
    if (segment != m_nNextSegment) {
        return std::nullopt;
    }
    const std::size_t position = std::size_t{2} * segment;
    m_name[position] = frame.At(7);
    m_name[position + 1] = frame.At(8);
    ++m_nNextSegment;
    if (m_nNextSegment < kSegments) {
        return std::nullopt;
    }
    RdsPsName name{};
    std::copy_n(m_name.begin(), name.size(), name.begin());
    m_name.fill(0);
    m_nNextSegment = 0;
    return name;
}
