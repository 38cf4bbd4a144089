// COM7: with the simulated tuner module on the far end: the serial port's
// side (device control block, time-outs, event mask, receive queue, errors)
// and the module's thread, which puts the module's frames on the line at
// 38400 baud. Every blocking call waits through the unit's accounted wait
// primitive, on the unit's clock.
//
// The module understands the port only at 38400 baud, 8 data bits, no
// parity, 1 stop bit: with any other line setting what the console writes
// is lost and what the module sends arrives as framing errors (CE_FRAME),
// not as bytes. The port opens at 9600 baud.
//
// For tests the module can give way to a far end they hold (UseTestFarEnd):
// what the console writes is kept for FarRead, and FarWrite's bytes cross
// the line at 38400 baud whatever the port's settings, as between the two
// ends of a pseudo-terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <vector>

#include "host/com7/line_pacer.h"
#include "host/com7/tuner_module.h"
#include "host/unit/driver.h"
#include "host/unit/scheduler.h"

namespace host::com7 {

using platform::DWORD;

// ClearCommError's error bits.
inline constexpr DWORD CE_RXOVER = 0x0001;
inline constexpr DWORD CE_FRAME = 0x0008;

// What the host side may look at.
struct PortState {
    int opens = 0;
    platform::DCB dcb;
    platform::COMMTIMEOUTS timeouts;
    DWORD mask = 0;
    std::size_t queued = 0;
    int frequency = 0;  // the module's
    bool muted = false;
    bool seeking = false;
    bool silent = false;
    // Reads waiting for bytes and WaitCommEvent calls waiting for an event.
    int waiting = 0;
};

class SimulatedPort final : public unit::Driver {
  public:
    // Bytes the receive queue holds; more are lost (CE_RXOVER).
    static constexpr std::size_t kQueueBytes = 4096;
    // Bytes of console output kept for the host side.
    static constexpr std::size_t kWrittenKept = std::size_t{64} * 1024;

    explicit SimulatedPort(unit::Scheduler& scheduler);
    ~SimulatedPort() override;

    // Settings, from unit.toml or the running unit.
    void Configure(const std::function<void(ModuleConfig&)>& change);
    // A silent module takes no command and sends nothing.
    void SetSilent(bool silent);
    void SetMaxChunk(std::size_t bytes);
    // Powers the module up and starts its thread.
    void Start();
    // A group for the live station, come now (TunerModule::ReceiveLive).
    void ReceiveLive(const RdsGroup& group, bool clean);

    // The far end for tests, in place of the module (from now on).
    void UseTestFarEnd();
    // Bytes sent from the far end; they reach the receive queue at the
    // line's pace while the port is open (else they are lost).
    void FarWrite(std::span<const std::uint8_t> bytes);
    // Up to n bytes the console wrote since the far end last read, waiting
    // up to timeoutMs on the unit's clock for all n.
    std::vector<std::uint8_t> FarRead(std::size_t n, std::uint64_t timeoutMs);

    [[nodiscard]] PortState State() const;
    // Everything the console wrote to the port, oldest first.
    [[nodiscard]] std::vector<std::uint8_t> Written() const;

    std::shared_ptr<unit::DeviceOpen> Open(DWORD access, DWORD share, DWORD* error) override;
    void Close(unit::DeviceOpen& open) override;
    unit::DriverResult Read(unit::DeviceOpen& open, void* buffer, DWORD toRead,
                            DWORD* read) override;
    unit::DriverResult Write(unit::DeviceOpen& open, const void* buffer, DWORD toWrite,
                             DWORD* written) override;
    unit::DriverResult GetCommState(unit::DeviceOpen& open, platform::DCB* dcb) override;
    unit::DriverResult SetCommState(unit::DeviceOpen& open, const platform::DCB& dcb) override;
    unit::DriverResult GetCommTimeouts(unit::DeviceOpen& open,
                                       platform::COMMTIMEOUTS* timeouts) override;
    unit::DriverResult SetCommTimeouts(unit::DeviceOpen& open,
                                       const platform::COMMTIMEOUTS& timeouts) override;
    unit::DriverResult SetCommMask(unit::DeviceOpen& open, DWORD mask) override;
    unit::DriverResult WaitCommEvent(unit::DeviceOpen& open, DWORD* eventMask) override;
    unit::DriverResult ClearCommError(unit::DeviceOpen& open, DWORD* errors,
                                      platform::COMSTAT* status) override;

  private:
    void Run(const std::stop_token& stop);
    // Moves what is due by nowUs from the module to the line and from the
    // line to the receive queue.
    void Pump(std::uint64_t nowUs);
    void Deliver(const std::vector<std::uint8_t>& bytes, std::uint64_t atMs);
    [[nodiscard]] bool LineMatches() const;
    [[nodiscard]] bool Listening() const { return opens_ > 0 && !silent_; }
    [[nodiscard]] std::uint64_t NowUs() const;
    void Kick();

    unit::Scheduler& scheduler_;
    mutable std::mutex mutex_;
    unit::WaitPoint received_;    // readers and event waiters
    unit::WaitPoint moduleWake_;  // the module's thread
    bool kicked_ = false;

    TunerModule module_;
    LinePacer pacer_;
    bool silent_ = false;

    int opens_ = 0;
    platform::DCB dcb_;
    platform::COMMTIMEOUTS timeouts_;
    DWORD mask_ = 0;
    DWORD pending_ = 0;  // events seen since the last wait took them
    std::uint64_t maskChanges_ = 0;
    DWORD errors_ = 0;
    std::deque<std::uint8_t> queue_;
    std::uint64_t lastArrivalMs_ = 0;
    std::deque<std::uint8_t> written_;
    int waiting_ = 0;

    bool testFarEnd_ = false;
    std::deque<std::uint8_t> farReceived_;  // bounded like written_
    unit::WaitPoint farReceivedWake_;

    // Last: stopped and joined before anything above goes.
    std::unique_ptr<unit::SimThread> thread_;
};

}  // namespace host::com7
