// "COM7:" on a PC: a real serial port, opened for overlapped I/O so that one
// thread can wait for events while another writes (a port opened for
// synchronous I/O runs its calls one at a time), with each call made
// synchronous again for the system. Clearing or changing the event mask
// releases a pending wait (mask 0); closing the port ends every pending call
// with ERROR_INVALID_HANDLE, as the unit's serial driver does. A driver that
// cannot wait for events at all (wine's, on a pseudo-terminal: it ends every
// wait at once as cancelled) gets its received-character events from the
// queue count instead.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

#include "handle_table.h"
#include "platform/win_types.h"
#include "win32_api.h"

namespace win32::pc {

// The driver's event calls: Win32's own, or a test's stand-ins for a driver
// that behaves in a way wine's or the PC's do not on demand.
struct SerialEventCalls {
    decltype(&::SetCommMask) setCommMask = &::SetCommMask;
    decltype(&::WaitCommEvent) waitCommEvent = &::WaitCommEvent;
    decltype(&::ClearCommError) clearCommError = &::ClearCommError;
};

class SerialPort final : public HandleObject {
  public:
    // device: "COM7"; the Win32 code when it cannot be opened.
    static std::shared_ptr<SerialPort> Open(std::string_view device, platform::DWORD access,
                                            platform::DWORD share, platform::DWORD* error);
    ~SerialPort() override;

    // Each returns the Win32 result and leaves the platform's last error set
    // on failure.
    BOOL Read(void* buffer, platform::DWORD toRead, platform::DWORD* read);
    BOOL Write(const void* buffer, platform::DWORD toWrite, platform::DWORD* written);
    BOOL GetState(platform::DCB* dcb);
    BOOL SetState(const platform::DCB& dcb);
    BOOL GetTimeouts(platform::COMMTIMEOUTS* timeouts);
    BOOL SetTimeouts(const platform::COMMTIMEOUTS& timeouts);
    BOOL SetMask(platform::DWORD mask);
    BOOL WaitEvent(platform::DWORD* eventMask);
    BOOL ClearError(platform::DWORD* errors, platform::COMSTAT* status);
    void Close();
    // Until Close.
    bool IsOpen();
    // Reads and event waits in progress that wait for the line (tests make
    // sure a call waits before the far end writes).
    int Waiting();

    // Takes over the handle, opened for overlapped I/O.
    explicit SerialPort(::HANDLE port, const SerialEventCalls& calls = {});

  private:
    enum class Call { Read, Write, Wait };
    struct Outcome {
        BOOL ok = FALSE;
        DWORD transferred = 0;
        DWORD error = 0;
        bool closed = false;
        bool maskChanged = false;  // since maskChanges (waits)
    };
    // Starts one overlapped call under the lock and waits for its end
    // outside it. A wait does not start when the mask has changed since
    // maskChanges.
    Outcome Overlapped(const std::function<BOOL(::HANDLE, OVERLAPPED*)>& start, Call call,
                       std::uint64_t maskChanges = 0);
    // EV_RXCHAR from the queue count, until an event, a new mask (since
    // maskChanges) or the close.
    BOOL WatchQueue(platform::DWORD* eventMask, std::uint64_t maskChanges);
    // One overlapped read, under the given time-outs when `only` is set.
    BOOL ReadOnce(void* buffer, platform::DWORD toRead, platform::DWORD* read,
                  const ::COMMTIMEOUTS* only);
    // At most toRead of the bytes queued now, without waiting for more: the
    // count first, since wine keeps even a MAXDWORD, 0, 0 read of an empty
    // line waiting.
    BOOL ReadQueued(void* buffer, platform::DWORD toRead, platform::DWORD* read);
    // A quick call under the lock; false (last error set) when closed.
    BOOL Locked(const std::function<BOOL(::HANDLE)>& call);

    std::mutex mutex_;
    ::HANDLE port_;
    SerialEventCalls calls_;
    bool closed_ = false;
    OVERLAPPED* pendingWait_ = nullptr;
    std::uint64_t maskChanges_ = 0;
    platform::DWORD mask_ = 0;
    bool driverCannotWait_ = false;
    int waiting_ = 0;
    // Wakes a queue watch for a new mask or the close (auto-reset).
    ::HANDLE wake_;
};

}  // namespace win32::pc
