// The tuner module's serial port as the link uses it: the kernel's serial
// calls on "COM7:", one operation each, so that the receive disciplines can
// run against a substitute. Handles are passed per call because the windows
// own them and close them from their own thread while a worker still uses
// the port.
#pragma once

#include "platform/win_types.h"

class RdsSerialPort {
  public:
    RdsSerialPort() = default;
    RdsSerialPort(const RdsSerialPort&) = delete;
    RdsSerialPort& operator=(const RdsSerialPort&) = delete;
    virtual ~RdsSerialPort() = default;

    // "COM7:" for reading and writing, exclusive, open-existing, synchronous.
    // INVALID_HANDLE_VALUE on failure.
    virtual platform::HANDLE Open() = 0;
    // 38400 baud, 8 data bits, no parity, 1 stop bit; every other field of
    // the device control block stays as the driver reports it. Results are
    // not looked at.
    virtual void ConfigureLine(platform::HANDLE h) = 0;
    // The module check's read time-outs (interval 100 ms, 100 ms per byte,
    // 10 ms constant); write time-outs stay as reported. Results are not
    // looked at.
    virtual void SetReadTimeouts(platform::HANDLE h) = 0;
    // EV_RXCHAR to receive, 0 to stop (which releases a pending wait).
    virtual platform::BOOL SetEventMask(platform::HANDLE h, platform::DWORD mask) = 0;
    // Blocks until an event of the mask; on a closed port it fails with
    // ERROR_INVALID_HANDLE.
    virtual platform::BOOL WaitEvent(platform::HANDLE h, platform::DWORD* events) = 0;
    // Bytes waiting in the input queue.
    virtual platform::BOOL QueuedBytes(platform::HANDLE h, platform::DWORD* count) = 0;
    virtual platform::BOOL Read(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                                platform::DWORD* read) = 0;
    virtual platform::BOOL Write(platform::HANDLE h, const void* data, platform::DWORD toWrite,
                                 platform::DWORD* written) = 0;
    virtual platform::BOOL Close(platform::HANDLE h) = 0;
    // The last-error code of this thread's previous call.
    virtual platform::DWORD LastError() = 0;
    // The free-running millisecond clock (timeGetTime).
    virtual platform::DWORD Now() = 0;
};

// The port over the installed platform (platform/api.h). Stateless: one
// instance serves every window and thread.
class RdsPlatformPort final : public RdsSerialPort {
  public:
    platform::HANDLE Open() override;
    void ConfigureLine(platform::HANDLE h) override;
    void SetReadTimeouts(platform::HANDLE h) override;
    platform::BOOL SetEventMask(platform::HANDLE h, platform::DWORD mask) override;
    platform::BOOL WaitEvent(platform::HANDLE h, platform::DWORD* events) override;
    platform::BOOL QueuedBytes(platform::HANDLE h, platform::DWORD* count) override;
    platform::BOOL Read(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                        platform::DWORD* read) override;
    platform::BOOL Write(platform::HANDLE h, const void* data, platform::DWORD toWrite,
                         platform::DWORD* written) override;
    platform::BOOL Close(platform::HANDLE h) override;
    platform::DWORD LastError() override;
    platform::DWORD Now() override;
};

// The shared production port.
RdsSerialPort& TheRdsSerialPort();
