#include "rds/frame_reassembler.h"

#include <algorithm>

std::optional<RdsFrame> RdsFrameReassembler::Push(std::uint8_t byte) {
    if (m_nPending == 0 && byte != kRdsFrameMarker) {
        return std::nullopt;
    }
    m_buffer[m_nPending++] = byte;
    if (m_nPending < m_buffer.size()) {
        return std::nullopt;
    }
    if (byte == kRdsFrameMarker) {
        m_nPending = 0;
        return DecodeRdsFrame(m_buffer.data(), m_buffer.size());
    }
    Resynchronise();
    return std::nullopt;
}

void RdsFrameReassembler::Resynchronise() {
    // The held bytes after the first are re-examined as a new start; the
    // buffer starts with 0x3F whenever it holds anything.
    const auto begin = m_buffer.begin() + 1;
    const auto end = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_nPending);
    const auto next = std::find(begin, end, kRdsFrameMarker);
    m_nPending = static_cast<std::size_t>(end - next);
    std::copy(next, end, m_buffer.begin());
}
