// The RDS tool's side of the serial link, free of any window: the port
// handle, the frequency and seek start shared by the window's thread and the
// receive thread, the command sender, the receive loop and its chunk handler
// with the frame reassembler and the name assembler.
//
// The window's thread calls OpenPort, ConfigurePort, SetFrequency, Send and
// ClosePort; the receive thread runs ReceiveLoop, which alone touches the
// assemblers and calls the sink. The window closes the port, waits for the
// receive thread (serving the sink's synchronous updates while it waits) and
// only then destroys the link.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"
#include "rds/command_frame.h"
#include "rds/frame_reassembler.h"
#include "rds/ps_name_assembler.h"
#include "rds/serial_port.h"
#include "rds/tool_sink.h"

class RdsToolLink {
  public:
    // Normal thread priority on the Windows CE scale, for the receive thread.
    static constexpr int kReceiveThreadPriority = 3;
    // The most one read takes; a larger queue is read in several chunks.
    static constexpr platform::DWORD kMaxChunkBytes = 64 * 1024;

    RdsToolLink(RdsSerialPort& port, RdsToolSink& sink);
    RdsToolLink(const RdsToolLink&) = delete;
    RdsToolLink& operator=(const RdsToolLink&) = delete;
    // Closes the port if it is still open. The receive thread must have ended.
    ~RdsToolLink();

    // Opens "COM7:" and keeps the handle, even an invalid one, so that later
    // calls fail quietly on it. False when the port could not be opened.
    bool OpenPort();
    // The line settings and the receive event mask.
    void ConfigurePort();
    // Clears the event mask, closes the port and nulls the handle: the
    // receive thread's next wait fails with ERROR_INVALID_HANDLE and it ends.
    void ClosePort();
    [[nodiscard]] platform::HANDLE Port() const { return m_hPort.load(); }

    // The tuned frequency in 100 kHz units, written by the window and by a
    // found seek.
    [[nodiscard]] int Frequency() const { return m_nFrequency.load(); }
    void SetFrequency(int frequency) { m_nFrequency.store(frequency); }

    // Builds `command` with the current frequency and writes it in one
    // 5-byte write when the handle is not null. A Seek samples the seek
    // start first. Write results are not looked at.
    void Send(RdsCommand command, int tuneParameter, int seekParameter, bool seekUp);

    // RdsToolReceiveThread's body: waits for received characters and hands
    // each chunk read to HandleChunk until the port is closed. Returns 0.
    platform::DWORD ReceiveLoop();

    // Decodes every frame that this chunk completes (bytes left over wait
    // for the next chunk) and delivers replies, names and raw words to the
    // sink. Receive thread only.
    void HandleChunk(const std::uint8_t* bytes, std::size_t count);

  private:
    void HandleFrame(const RdsFrame& frame);
    void HandleSeekReply(const RdsSeekReply& reply);

    RdsSerialPort& m_port;
    RdsToolSink& m_sink;
    std::atomic<platform::HANDLE> m_hPort{0};
    std::atomic<int> m_nFrequency{0};
    // The seek start is only meaningful once a Seek was sent.
    std::atomic<platform::DWORD> m_dwSeekStart{0};
    std::atomic<bool> m_bSeekSent{false};
    RdsFrameReassembler m_reassembler;
    PsNameAssembler m_psName;
};
