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
    std::size_t next = 1;
    while (next < m_nPending && m_buffer[next] != kRdsFrameMarker) {
        ++next;
    }
    std::copy(m_buffer.begin() + static_cast<std::ptrdiff_t>(next),
              m_buffer.begin() + static_cast<std::ptrdiff_t>(m_nPending), m_buffer.begin());
    m_nPending -= next;
}
