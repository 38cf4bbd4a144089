#include "serial_port.h"

#include <algorithm>
#include <string>

#include "platform/last_error.h"
#include "platform/utf16.h"
#include "serial_dcb.h"
#include "win32_error.h"

namespace win32::pc {

namespace {

// A manual-reset event for one overlapped call.
class Event {
  public:
    Event() : h_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        if (h_ != nullptr) {
            ::CloseHandle(h_);
        }
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    [[nodiscard]] ::HANDLE get() const { return h_; }

  private:
    ::HANDLE h_;
};

}  // namespace

std::shared_ptr<SerialPort> SerialPort::Open(std::string_view device, platform::DWORD access,
                                             platform::DWORD share, platform::DWORD* error) {
    const std::optional<std::wstring> name =
        platform::utf16::FromUtf8(std::string("\\\\.\\") + std::string(device));
    if (!name) {
        *error = kNoSuchDevice;
        return nullptr;
    }
    ::HANDLE h = ::CreateFileW(name->c_str(), access, share, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        return nullptr;
    }
    return std::make_shared<SerialPort>(h);
}

SerialPort::SerialPort(::HANDLE port, const SerialEventCalls& calls)
    : port_(port), calls_(calls), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

SerialPort::~SerialPort() {
    Close();
    if (wake_ != nullptr) {
        ::CloseHandle(wake_);
    }
}

bool SerialPort::IsOpen() {
    std::lock_guard lock(mutex_);
    return !closed_;
}

int SerialPort::Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
}

void SerialPort::Close() {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return;
    }
    closed_ = true;
    // Calls in flight end now; their threads learn why from closed_.
    ::CancelIoEx(port_, nullptr);
    ::CloseHandle(port_);
    if (wake_ != nullptr) {
        ::SetEvent(wake_);
    }
}

SerialPort::Outcome SerialPort::Overlapped(const std::function<BOOL(::HANDLE, OVERLAPPED*)>& start,
                                           Call call, std::uint64_t maskChanges) {
    Outcome out;
    Event done;
    if (done.get() == nullptr) {
        out.error = ::GetLastError();
        return out;
    }
    OVERLAPPED ov{};
    ov.hEvent = done.get();
    const bool isWait = call == Call::Wait;
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            out.closed = true;
            return out;
        }
        if (isWait && maskChanges_ != maskChanges) {
            out.maskChanged = true;
            return out;
        }
        if (!start(port_, &ov) && ::GetLastError() != ERROR_IO_PENDING) {
            out.error = ::GetLastError();
            return out;
        }
        if (isWait) {
            pendingWait_ = &ov;
        }
        if (call != Call::Write) {
            ++waiting_;
        }
    }
    ::WaitForSingleObject(done.get(), INFINITE);
    // The call has ended, so this neither waits nor looks at the port handle
    // (which a close may already have released).
    out.ok = ::GetOverlappedResult(port_, &ov, &out.transferred, FALSE);
    out.error = out.ok ? ERROR_SUCCESS : ::GetLastError();
    if (!out.ok && out.error == kSerialTimedOut) {
        out.ok = TRUE;
        out.error = ERROR_SUCCESS;
    }
    std::lock_guard lock(mutex_);
    if (isWait) {
        pendingWait_ = nullptr;
        out.maskChanged = maskChanges_ != maskChanges;
    }
    if (call != Call::Write) {
        --waiting_;
    }
    out.closed = closed_;
    return out;
}

BOOL SerialPort::Locked(const std::function<BOOL(::HANDLE)>& call) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        Fail(kBadHandle);
        return FALSE;
    }
    if (!call(port_)) {
        TakeLastError();
        return FALSE;
    }
    return TRUE;
}

BOOL SerialPort::Read(void* buffer, platform::DWORD toRead, platform::DWORD* read) {
    platform::DWORD ignored = 0;
    if (read == nullptr) {
        read = &ignored;
    }
    *read = 0;
    // The two MAXDWORD forms are built here from the queue count and plain
    // total time-outs: wine keeps an overlapped read of an empty line
    // waiting under either.
    ::COMMTIMEOUTS timeouts{};
    ::DWORD errors = 0;
    ::COMSTAT queue{};
    if (!Locked([&](::HANDLE h) {
            return ::GetCommTimeouts(h, &timeouts) && calls_.clearCommError(h, &errors, &queue);
        })) {
        return FALSE;
    }
    const bool interval = timeouts.ReadIntervalTimeout == MAXDWORD;
    const bool atOnce = interval && timeouts.ReadTotalTimeoutMultiplier == 0 &&
                        timeouts.ReadTotalTimeoutConstant == 0;
    const bool firstByte = interval && timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
                           timeouts.ReadTotalTimeoutConstant != 0 &&
                           timeouts.ReadTotalTimeoutConstant != MAXDWORD;
    if (atOnce || (firstByte && queue.cbInQue > 0)) {
        return ReadQueued(buffer, toRead, read);
    }
    if (firstByte && toRead > 0) {
        // Nothing queued: one byte within the constant, then what came with it.
        ::COMMTIMEOUTS wait = timeouts;
        wait.ReadIntervalTimeout = 0;
        wait.ReadTotalTimeoutMultiplier = 0;
        if (!ReadOnce(buffer, 1, read, &wait)) {
            return FALSE;
        }
        if (*read == 0 || toRead == 1) {
            return TRUE;
        }
        platform::DWORD more = 0;
        const BOOL ok = ReadQueued(static_cast<std::uint8_t*>(buffer) + 1, toRead - 1, &more);
        *read += more;
        return ok;
    }
    return ReadOnce(buffer, toRead, read, nullptr);
}

BOOL SerialPort::ReadQueued(void* buffer, platform::DWORD toRead, platform::DWORD* read) {
    ::DWORD errors = 0;
    ::COMSTAT queue{};
    if (!Locked([&](::HANDLE h) { return calls_.clearCommError(h, &errors, &queue); })) {
        return FALSE;
    }
    toRead = std::min<platform::DWORD>(toRead, queue.cbInQue);
    if (toRead == 0) {
        return TRUE;
    }
    // The bytes are there: the read takes them at once.
    const ::COMMTIMEOUTS now{MAXDWORD, 0, 0, 0, 0};
    return ReadOnce(buffer, toRead, read, &now);
}

BOOL SerialPort::ReadOnce(void* buffer, platform::DWORD toRead, platform::DWORD* read,
                          const ::COMMTIMEOUTS* only) {
    ::COMMTIMEOUTS restore{};
    const Outcome r = Overlapped(
        [&](::HANDLE h, OVERLAPPED* ov) {
            // Time-outs count from the start of a read, so ones set just for
            // it can be put back as soon as it has started. The write
            // time-outs stay.
            if (only != nullptr) {
                if (!::GetCommTimeouts(h, &restore)) {
                    return FALSE;
                }
                ::COMMTIMEOUTS set = restore;
                set.ReadIntervalTimeout = only->ReadIntervalTimeout;
                set.ReadTotalTimeoutMultiplier = only->ReadTotalTimeoutMultiplier;
                set.ReadTotalTimeoutConstant = only->ReadTotalTimeoutConstant;
                if (!::SetCommTimeouts(h, &set)) {
                    return FALSE;
                }
            }
            const BOOL started = ::ReadFile(h, buffer, toRead, nullptr, ov);
            const ::DWORD error = ::GetLastError();
            if (only != nullptr) {
                ::SetCommTimeouts(h, &restore);
            }
            ::SetLastError(error);
            return started;
        },
        Call::Read);
    if (read != nullptr) {
        *read = r.transferred;
    }
    if (r.ok) {
        return TRUE;
    }
    Fail(r.closed ? kBadHandle : r.error);
    return FALSE;
}

BOOL SerialPort::Write(const void* buffer, platform::DWORD toWrite, platform::DWORD* written) {
    if (written != nullptr) {
        *written = 0;
    }
    const Outcome r = Overlapped(
        [&](::HANDLE h, OVERLAPPED* ov) { return ::WriteFile(h, buffer, toWrite, nullptr, ov); },
        Call::Write);
    if (written != nullptr) {
        *written = r.transferred;
    }
    if (r.ok) {
        return TRUE;
    }
    Fail(r.closed ? kBadHandle : r.error);
    return FALSE;
}

BOOL SerialPort::WaitEvent(platform::DWORD* eventMask) {
    if (eventMask == nullptr) {
        Fail(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A new mask from here on ends the wait, whichever way it waits.
    bool watch = false;
    std::uint64_t changes = 0;
    {
        std::lock_guard lock(mutex_);
        watch = driverCannotWait_;
        changes = maskChanges_;
    }
    if (watch) {
        return WatchQueue(eventMask, changes);
    }
    ::DWORD events = 0;
    const Outcome r =
        Overlapped([&](::HANDLE h, OVERLAPPED* ov) { return calls_.waitCommEvent(h, &events, ov); },
                   Call::Wait, changes);
    if (!r.ok && !r.closed && !r.maskChanged && r.error == ERROR_OPERATION_ABORTED) {
        {
            std::lock_guard lock(mutex_);
            driverCannotWait_ = true;
        }
        return WatchQueue(eventMask, changes);
    }
    if (r.closed) {
        *eventMask = 0;
        Fail(kBadHandle);
        return FALSE;
    }
    if (r.maskChanged) {
        // A new mask ends the wait without an event, whatever the driver
        // made of the cancelled call.
        *eventMask = 0;
        return TRUE;
    }
    *eventMask = r.ok ? events : 0;
    if (!r.ok) {
        Fail(r.error);
    }
    return r.ok;
}

BOOL SerialPort::WatchQueue(platform::DWORD* eventMask, std::uint64_t maskChanges) {
    // How often the queue is looked at: well under a byte time of the
    // tuner's frames (10 bytes at 38400 baud take 2.6 ms).
    constexpr ::DWORD kLookMs = 2;
    *eventMask = 0;
    std::unique_lock lock(mutex_);
    ++waiting_;
    BOOL result = FALSE;
    for (;;) {
        if (closed_) {
            Fail(kBadHandle);
            break;
        }
        if (maskChanges_ != maskChanges) {
            result = TRUE;
            break;
        }
        ::DWORD errors = 0;
        ::COMSTAT queue{};
        if (!calls_.clearCommError(port_, &errors, &queue)) {
            TakeLastError();
            break;
        }
        if ((mask_ & EV_RXCHAR) != 0 && queue.cbInQue > 0) {
            *eventMask = EV_RXCHAR;
            result = TRUE;
            break;
        }
        lock.unlock();
        ::WaitForSingleObject(wake_, kLookMs);
        lock.lock();
    }
    --waiting_;
    return result;
}

BOOL SerialPort::SetMask(platform::DWORD mask) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        Fail(kBadHandle);
        return FALSE;
    }
    if (!calls_.setCommMask(port_, mask)) {
        TakeLastError();
        return FALSE;
    }
    ++maskChanges_;
    mask_ = mask;
    if (wake_ != nullptr) {
        ::SetEvent(wake_);
    }
    if (pendingWait_ != nullptr) {
        ::CancelIoEx(port_, pendingWait_);
    }
    return TRUE;
}

BOOL SerialPort::GetState(platform::DCB* dcb) {
    if (dcb == nullptr) {
        Fail(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ::DCB state{};
    state.DCBlength = sizeof state;
    if (!Locked([&](::HANDLE h) { return ::GetCommState(h, &state); })) {
        return FALSE;
    }
    *dcb = FromWin32Dcb(state);
    return TRUE;
}

BOOL SerialPort::SetState(const platform::DCB& dcb) {
    ::DCB state = ToWin32Dcb(dcb);
    return Locked([&](::HANDLE h) { return ::SetCommState(h, &state); });
}

BOOL SerialPort::GetTimeouts(platform::COMMTIMEOUTS* timeouts) {
    if (timeouts == nullptr) {
        Fail(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ::COMMTIMEOUTS t{};
    if (!Locked([&](::HANDLE h) { return ::GetCommTimeouts(h, &t); })) {
        return FALSE;
    }
    *timeouts = FromWin32Timeouts(t);
    return TRUE;
}

BOOL SerialPort::SetTimeouts(const platform::COMMTIMEOUTS& timeouts) {
    ::COMMTIMEOUTS t = ToWin32Timeouts(timeouts);
    return Locked([&](::HANDLE h) { return ::SetCommTimeouts(h, &t); });
}

BOOL SerialPort::ClearError(platform::DWORD* errors, platform::COMSTAT* status) {
    ::DWORD e = 0;
    ::COMSTAT s{};
    if (!Locked([&](::HANDLE h) { return calls_.clearCommError(h, &e, &s); })) {
        return FALSE;
    }
    if (errors != nullptr) {
        *errors = e;
    }
    if (status != nullptr) {
        *status = FromWin32Comstat(s);
    }
    return TRUE;
}

}  // namespace win32::pc
