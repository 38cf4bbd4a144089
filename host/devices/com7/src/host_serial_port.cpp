#include "host/com7/host_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "host/com7/read_deadline.h"
#include "termios_dcb.h"

namespace host::com7 {

using platform::DWORD;
using platform::ERROR_ACCESS_DENIED;
using platform::ERROR_FILE_NOT_FOUND;
using platform::ERROR_GEN_FAILURE;
using platform::ERROR_INVALID_HANDLE;
using platform::ERROR_INVALID_PARAMETER;
using platform::ERROR_NOT_SUPPORTED;
using platform::ERROR_SHARING_VIOLATION;
using unit::DriverResult;

namespace {

// The longest a host wait runs before it looks again at the handle and at
// the unit.
constexpr int kSliceMs = 100;

class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const { return fd_; }

  private:
    int fd_ = -1;
};

// One open of the device. The descriptors live as long as the open, so a
// call still running when another thread closes the handle never meets a
// reused descriptor.
struct HostOpen final : unit::DeviceOpen {
    Fd fd;
    Fd wake;  // eventfd: the mask changed or the handle closed
    std::atomic<bool> closed{false};
    std::mutex mutex;
    DWORD mask = 0;
    std::uint64_t maskChanges = 0;
    platform::COMMTIMEOUTS timeouts;
    platform::DCB dcb;  // fields termios does not keep

    HostOpen(int device, int event) : fd(device), wake(event) {}

    void Signal() const {
        const std::uint64_t one = 1;
        static_cast<void>(::write(wake.get(), &one, sizeof one));
    }
    void Drain() const {
        std::uint64_t count = 0;
        static_cast<void>(::read(wake.get(), &count, sizeof count));
    }
};

// Counts a call as waiting for the line for as long as it runs.
class WaitingCall {
  public:
    explicit WaitingCall(std::atomic<int>& count) : count_(count) { ++count_; }
    ~WaitingCall() { --count_; }
    WaitingCall(const WaitingCall&) = delete;
    WaitingCall& operator=(const WaitingCall&) = delete;

  private:
    std::atomic<int>& count_;
};

HostOpen& AsHostOpen(unit::DeviceOpen& open) {
    return static_cast<HostOpen&>(open);
}

// The terminal's settings of an open handle's line.
DriverResult LineSettings(const HostOpen& o, termios* tio) {
    if (o.closed.load()) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    if (::tcgetattr(o.fd.get(), tio) != 0) {
        return DriverResult::Fail(ERROR_GEN_FAILURE);
    }
    return DriverResult::Ok();
}

std::uint64_t HostNowMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

DWORD OpenError(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EBUSY:
            return ERROR_SHARING_VIOLATION;
        default:
            return ERROR_GEN_FAILURE;
    }
}

// Waits up to timeoutMs for the device to become readable (when `readable`
// is asked for) or for the open's wake-up. A device that has hung up (the
// far end of a pseudo-terminal gone) is not readable and must not make the
// caller spin, so it is left out of the wait. True when the device is
// readable.
bool WaitDevice(const HostOpen& o, bool readable, int timeoutMs) {
    std::array<pollfd, 2> fds{};
    fds[0] = {o.wake.get(), POLLIN, 0};
    fds[1] = {o.fd.get(), static_cast<short>(readable ? POLLIN : 0), 0};
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return false;
    }
    if ((fds[0].revents & POLLIN) != 0) {
        o.Drain();
    }
    if ((fds[1].revents & POLLIN) != 0) {
        return true;
    }
    if ((fds[1].revents & (POLLHUP | POLLERR)) != 0) {
        std::array<pollfd, 1> wakeOnly{{{o.wake.get(), POLLIN, 0}}};
        if (::poll(wakeOnly.data(), wakeOnly.size(), timeoutMs) > 0) {
            o.Drain();
        }
    }
    return false;
}

}  // namespace

HostSerialPort::HostSerialPort(unit::Scheduler& scheduler) : scheduler_(scheduler) {}

void HostSerialPort::SetDevice(std::string path) {
    std::lock_guard lock(mutex_);
    device_ = std::move(path);
}

std::string HostSerialPort::Device() const {
    std::lock_guard lock(mutex_);
    return device_;
}

std::shared_ptr<unit::DeviceOpen> HostSerialPort::Open(DWORD access, DWORD share, DWORD* error) {
    const std::string path = Device();
    if (path.empty()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = OpenError(errno);
        return nullptr;
    }
    const int event = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    auto open = std::make_shared<HostOpen>(fd, event);
    open->access = access;
    open->share = share;
    termios tio{};
    if (event < 0 || ::tcgetattr(fd, &tio) != 0) {
        *error = event < 0 ? ERROR_GEN_FAILURE : ERROR_NOT_SUPPORTED;
        return nullptr;
    }
    // Exclusive, as the unit's own ports are; and a binary line, as a
    // Windows CE serial driver gives one: no echo, no line editing, no
    // character translation.
    if (share == 0) {
        ::ioctl(fd, TIOCEXCL);
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        *error = ERROR_GEN_FAILURE;
        return nullptr;
    }
    open->dcb = ReadDcb(tio);
    return open;
}

void HostSerialPort::Close(unit::DeviceOpen& open) {
    HostOpen& o = AsHostOpen(open);
    o.closed.store(true);
    o.Signal();
}

DriverResult HostSerialPort::Read(unit::DeviceOpen& open, void* buffer, DWORD toRead, DWORD* read) {
    if (read != nullptr) {
        *read = 0;
    }
    if (buffer == nullptr && toRead > 0) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    HostOpen& o = AsHostOpen(open);
    platform::COMMTIMEOUTS timeouts;
    {
        std::lock_guard lock(o.mutex);
        timeouts = o.timeouts;
    }
    const WaitingCall counted(waiting_);
    const std::uint64_t startMs = HostNowMs();
    const ReadDeadline plan(timeouts, toRead, startMs);
    auto* out = static_cast<std::uint8_t*>(buffer);
    DWORD got = 0;
    std::uint64_t lastByteMs = startMs;
    for (;;) {
        if (o.closed.load() || scheduler_.Stopping()) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        if (got < toRead) {
            const ssize_t n = ::read(o.fd.get(), out + got, toRead - got);
            if (n > 0) {
                got += static_cast<DWORD>(n);
                lastByteMs = HostNowMs();
                if (read != nullptr) {
                    *read = got;
                }
                continue;
            }
            // EAGAIN: nothing queued; EIO: a pseudo-terminal without its
            // far end, which reads as a silent line.
            if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                return DriverResult::Fail(ERROR_GEN_FAILURE);
            }
        }
        if (got == toRead || plan.Immediate() || (plan.ReturnOnAnyByte() && got > 0)) {
            return DriverResult::Ok();
        }
        int timeoutMs = kSliceMs;
        if (const auto deadline = plan.Deadline(got, lastByteMs)) {
            const std::uint64_t now = HostNowMs();
            if (now >= *deadline) {
                return DriverResult::Ok();
            }
            timeoutMs = static_cast<int>(std::min<std::uint64_t>(*deadline - now, kSliceMs));
        }
        const unit::Scheduler::HostWait quiet(scheduler_);
        WaitDevice(o, true, timeoutMs);
    }
}

DriverResult HostSerialPort::Write(unit::DeviceOpen& open, const void* buffer, DWORD toWrite,
                                   DWORD* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (buffer == nullptr && toWrite > 0) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    HostOpen& o = AsHostOpen(open);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
        if (o.closed.load() || scheduler_.Stopping()) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        const ssize_t n = ::write(o.fd.get(), bytes + done, toWrite - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            if (written != nullptr) {
                *written = done;
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            std::array<pollfd, 2> fds{};
            fds[0] = {o.fd.get(), POLLOUT, 0};
            fds[1] = {o.wake.get(), POLLIN, 0};
            if (::poll(fds.data(), fds.size(), kSliceMs) > 0 && (fds[1].revents & POLLIN) != 0) {
                o.Drain();
            }
            continue;
        }
        return DriverResult::Fail(ERROR_GEN_FAILURE);
    }
    return DriverResult::Ok();
}

DriverResult HostSerialPort::GetCommState(unit::DeviceOpen& open, platform::DCB* dcb) {
    if (dcb == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    HostOpen& o = AsHostOpen(open);
    termios tio{};
    if (const DriverResult r = LineSettings(o, &tio); r.value == platform::FALSE) {
        return r;
    }
    std::lock_guard lock(o.mutex);
    *dcb = ReadDcb(tio, o.dcb);
    return DriverResult::Ok();
}

DriverResult HostSerialPort::SetCommState(unit::DeviceOpen& open, const platform::DCB& dcb) {
    HostOpen& o = AsHostOpen(open);
    termios tio{};
    if (const DriverResult r = LineSettings(o, &tio); r.value == platform::FALSE) {
        return r;
    }
    if (!ApplyDcb(dcb, &tio)) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    if (::tcsetattr(o.fd.get(), TCSANOW, &tio) != 0) {
        return DriverResult::Fail(ERROR_GEN_FAILURE);
    }
    std::lock_guard lock(o.mutex);
    o.dcb = dcb;
    return DriverResult::Ok();
}

DriverResult HostSerialPort::GetCommTimeouts(unit::DeviceOpen& open,
                                             platform::COMMTIMEOUTS* timeouts) {
    if (timeouts == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    HostOpen& o = AsHostOpen(open);
    if (o.closed.load()) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    std::lock_guard lock(o.mutex);
    *timeouts = o.timeouts;
    return DriverResult::Ok();
}

DriverResult HostSerialPort::SetCommTimeouts(unit::DeviceOpen& open,
                                             const platform::COMMTIMEOUTS& timeouts) {
    HostOpen& o = AsHostOpen(open);
    if (o.closed.load()) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    std::lock_guard lock(o.mutex);
    o.timeouts = timeouts;
    return DriverResult::Ok();
}

DriverResult HostSerialPort::SetCommMask(unit::DeviceOpen& open, DWORD mask) {
    HostOpen& o = AsHostOpen(open);
    if (o.closed.load()) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    {
        std::lock_guard lock(o.mutex);
        o.mask = mask;
        ++o.maskChanges;
    }
    o.Signal();
    return DriverResult::Ok();
}

DriverResult HostSerialPort::WaitCommEvent(unit::DeviceOpen& open, DWORD* eventMask) {
    if (eventMask == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    *eventMask = 0;
    HostOpen& o = AsHostOpen(open);
    std::uint64_t changes = 0;
    {
        std::lock_guard lock(o.mutex);
        changes = o.maskChanges;
    }
    const WaitingCall counted(waiting_);
    for (;;) {
        if (o.closed.load() || scheduler_.Stopping()) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        DWORD mask = 0;
        {
            std::lock_guard lock(o.mutex);
            if (o.maskChanges != changes) {
                return DriverResult::Ok();  // the mask changed: no event
            }
            mask = o.mask;
        }
        // Received characters are reported while any bytes wait in the input
        // queue: a reader that takes what was counted loses nothing.
        const bool wantsChars = (mask & platform::EV_RXCHAR) != 0;
        bool readable = false;
        {
            const unit::Scheduler::HostWait quiet(scheduler_);
            readable = WaitDevice(o, wantsChars, kSliceMs);
        }
        if (readable && wantsChars && !o.closed.load()) {
            std::lock_guard lock(o.mutex);
            if (o.maskChanges == changes) {
                *eventMask = platform::EV_RXCHAR;
            }
            return DriverResult::Ok();
        }
    }
}

DriverResult HostSerialPort::ClearCommError(unit::DeviceOpen& open, DWORD* errors,
                                            platform::COMSTAT* status) {
    HostOpen& o = AsHostOpen(open);
    if (o.closed.load()) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    int in = 0;
    int out = 0;
    if (::ioctl(o.fd.get(), FIONREAD, &in) != 0) {
        return DriverResult::Fail(ERROR_GEN_FAILURE);
    }
    if (::ioctl(o.fd.get(), TIOCOUTQ, &out) != 0) {
        out = 0;
    }
    if (errors != nullptr) {
        *errors = 0;
    }
    if (status != nullptr) {
        status->cbInQue = static_cast<DWORD>(std::max(in, 0));
        status->cbOutQue = static_cast<DWORD>(std::max(out, 0));
    }
    return DriverResult::Ok();
}

}  // namespace host::com7
