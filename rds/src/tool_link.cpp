#include "rds/tool_link.h"

#include <algorithm>
#include <span>
#include <vector>

#include "platform/api.h"

RdsToolLink::RdsToolLink(RdsSerialPort& port, RdsToolSink& sink) : m_port(port), m_sink(sink) {}

RdsToolLink::~RdsToolLink() {
    if (m_hPort.load() != 0) {
        ClosePort();
    }
}

bool RdsToolLink::OpenPort() {
    const platform::HANDLE h = m_port.Open();
    m_hPort.store(h);
    return h != platform::INVALID_HANDLE_VALUE;
}

void RdsToolLink::ConfigurePort() {
    const platform::HANDLE h = m_hPort.load();
    m_port.ConfigureLine(h);
    m_port.SetEventMask(h, platform::EV_RXCHAR);
}

void RdsToolLink::ClosePort() {
    m_port.SetEventMask(m_hPort.load(), 0);
    // Null first, so the receive thread never waits on a handle value that
    // is already closed.
    const platform::HANDLE h = m_hPort.exchange(0);
    if (h != 0) {
        m_port.Close(h);
    }
}

void RdsToolLink::Send(RdsCommand command, int tuneParameter, int seekParameter, bool seekUp) {
    const RdsCommandFrame frame =
        BuildRdsCommandFrame(command, m_nFrequency.load(), tuneParameter, seekParameter, seekUp);
    if (command == RdsCommand::Seek) {
        m_dwSeekStart.store(m_port.Now());
        m_bSeekSent.store(true);
    }
    const platform::HANDLE h = m_hPort.load();
    if (frame[0] == 0 || h == 0) {
        return;
    }
    platform::DWORD written = 0;
    m_port.Write(h, frame.data(), static_cast<platform::DWORD>(frame.size()), &written);
}

platform::DWORD RdsToolLink::ReceiveLoop() {
    std::vector<std::uint8_t> chunk;
    // A null handle ends the loop before any wait: at once when the port was
    // never opened, and after a close even if the driver's failed wait gave
    // another error than ERROR_INVALID_HANDLE.
    for (platform::HANDLE h = m_hPort.load(); h != 0; h = m_hPort.load()) {
        platform::DWORD events = 0;
        if (m_port.WaitEvent(h, &events) == platform::FALSE) {
            if (m_port.LastError() == platform::ERROR_INVALID_HANDLE) {
                break;
            }
            continue;
        }
        if ((events & platform::EV_RXCHAR) == 0) {
            continue;
        }
        // A full read may leave more queued: take it before waiting again,
        // since no new event comes for bytes already there.
        bool more = true;
        while (more) {
            platform::DWORD queued = 0;
            if (m_port.QueuedBytes(h, &queued) == platform::FALSE || queued == 0) {
                break;
            }
            const platform::DWORD wanted = std::min(queued, kMaxChunkBytes);
            chunk.assign(wanted, 0);
            platform::DWORD read = 0;
            if (m_port.Read(h, chunk.data(), wanted, &read) == platform::FALSE) {
                break;
            }
            // A driver reporting more than it was asked for gets no trust.
            read = std::min(read, wanted);
            HandleChunk(chunk.data(), read);
            more = read == kMaxChunkBytes;
        }
    }
    return 0;
}

void RdsToolLink::HandleChunk(const std::uint8_t* bytes, std::size_t count) {
    if (bytes == nullptr || count == 0) {
        return;
    }
    m_reassembler.Feed(std::span(bytes, count),
                       [this](const RdsFrame& frame) { HandleFrame(frame); });
}

void RdsToolLink::HandleFrame(const RdsFrame& frame) {
    if (frame.kind == RdsFrameKind::RdsGroup) {
        if (const auto name = m_psName.Feed(frame)) {
            m_sink.SetPsName(platform::WidenCodePage(name->data(), name->size()));
        }
    } else if (const auto version = DecodeVersionReply(frame)) {
        m_sink.SetVersion(SignedByte(version->first), SignedByte(version->second),
                          SignedByte(version->third));
    } else if (const auto level = DecodeLevelReply(frame)) {
        m_sink.SetLevel(*level);
    } else if (const auto tune = DecodeTuneReply(frame)) {
        m_sink.SetTuneReply(tune->strength, tune->tuned);
    } else if (const auto seek = DecodeSeekReply(frame)) {
        HandleSeekReply(*seek);
    }
    m_sink.SetRawWords(FormatRawWords(frame));
}

void RdsToolLink::HandleSeekReply(const RdsSeekReply& reply) {
    if (!reply.found) {
        m_sink.SetSeekReply(false, m_nFrequency.load(), reply.tuned);
        return;
    }
    if (m_bSeekSent.load()) {
        // Modulo 2^32, as the clock wraps.
        const platform::DWORD elapsed = m_port.Now() - m_dwSeekStart.load();
        platform::NKDbgPrintf("[RDS]Seek time = %ldms\r\n", static_cast<long>(elapsed));
    }
    m_nFrequency.store(reply.frequency);
    m_sink.SetSeekReply(true, reply.frequency, reply.tuned);
}
