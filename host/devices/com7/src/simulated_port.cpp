#include "host/com7/simulated_port.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/com7/read_deadline.h"

namespace host::com7 {

using platform::ERROR_INVALID_HANDLE;
using platform::ERROR_INVALID_PARAMETER;
using unit::DriverResult;
using unit::WaitResult;

namespace {

// What the port reports before anyone configures it.
platform::DCB DefaultDcb() {
    platform::DCB dcb;
    dcb.BaudRate = platform::CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = platform::NOPARITY;
    dcb.StopBits = platform::ONESTOPBIT;
    dcb.fDtrControl = platform::DTR_CONTROL_ENABLE;
    dcb.fRtsControl = platform::RTS_CONTROL_ENABLE;
    return dcb;
}

constexpr std::uint64_t CeilMs(std::uint64_t us) {
    return (us + 999) / 1000;
}

struct SimulatedOpen final : unit::DeviceOpen {
    bool closed = false;  // under the port's mutex
};

SimulatedOpen& AsSimulatedOpen(unit::DeviceOpen& open) {
    return static_cast<SimulatedOpen&>(open);
}

}  // namespace

SimulatedPort::SimulatedPort(unit::Scheduler& scheduler)
    : scheduler_(scheduler),
      received_(scheduler),
      moduleWake_(scheduler),
      dcb_(DefaultDcb()),
      farReceivedWake_(scheduler) {}

SimulatedPort::~SimulatedPort() {
    thread_.reset();
}

void SimulatedPort::Configure(const std::function<void(ModuleConfig&)>& change) {
    {
        std::lock_guard lock(mutex_);
        change(module_.Config());
    }
    Kick();
}

void SimulatedPort::SetSilent(bool silent) {
    {
        std::lock_guard lock(mutex_);
        if (silent_ && !silent) {
            // Nothing was sent while silent: the stream carries on from now.
            module_.Skip(NowUs());
        }
        silent_ = silent;
        if (silent) {
            pacer_.Clear();
        }
    }
    Kick();
}

void SimulatedPort::SetMaxChunk(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    pacer_.SetMaxChunk(bytes);
}

void SimulatedPort::Start() {
    {
        std::lock_guard lock(mutex_);
        module_.PowerUp(NowUs());
    }
    thread_ = std::make_unique<unit::SimThread>(scheduler_,
                                                [this](const std::stop_token& stop) { Run(stop); });
}

void SimulatedPort::ReceiveLive(const RdsGroup& group, bool clean) {
    {
        std::lock_guard lock(mutex_);
        module_.ReceiveLive(group, clean, NowUs());
    }
    Kick();
}

void SimulatedPort::UseTestFarEnd() {
    {
        std::lock_guard lock(mutex_);
        testFarEnd_ = true;
        pacer_.Clear();
    }
    Kick();
}

void SimulatedPort::FarWrite(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (!Listening()) {
            return;
        }
        pacer_.Send(bytes, NowUs());
        kicked_ = true;
    }
    moduleWake_.NotifyAll();
}

std::vector<std::uint8_t> SimulatedPort::FarRead(std::size_t n, std::uint64_t timeoutMs) {
    std::unique_lock lock(mutex_);
    farReceivedWake_.Wait(
        lock, [&] { return farReceived_.size() >= n; }, scheduler_.NowMs() + timeoutMs);
    const auto end =
        farReceived_.begin() + static_cast<std::ptrdiff_t>(std::min(n, farReceived_.size()));
    std::vector<std::uint8_t> out(farReceived_.begin(), end);
    farReceived_.erase(farReceived_.begin(), end);
    return out;
}

PortState SimulatedPort::State() const {
    std::lock_guard lock(mutex_);
    PortState s;
    s.opens = opens_;
    s.dcb = dcb_;
    s.timeouts = timeouts_;
    s.mask = mask_;
    s.queued = queue_.size();
    s.frequency = module_.Frequency();
    s.muted = module_.Muted();
    s.seeking = module_.Seeking();
    s.silent = silent_;
    s.waiting = waiting_;
    return s;
}

std::vector<std::uint8_t> SimulatedPort::Written() const {
    std::lock_guard lock(mutex_);
    return {written_.begin(), written_.end()};
}

std::uint64_t SimulatedPort::NowUs() const {
    return scheduler_.NowMs() * 1000;
}

void SimulatedPort::Kick() {
    {
        std::lock_guard lock(mutex_);
        kicked_ = true;
    }
    moduleWake_.NotifyAll();
}

bool SimulatedPort::LineMatches() const {
    return dcb_.BaudRate == kRdsBaudRate && dcb_.ByteSize == kRdsByteSize &&
           dcb_.Parity == kRdsParity && dcb_.StopBits == kRdsStopBits;
}

void SimulatedPort::Run(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
        kicked_ = false;
        const std::uint64_t nowUs = NowUs();
        Pump(nowUs);
        std::optional<std::uint64_t> wakeMs;
        if (Listening()) {
            // The earlier of the module's next frame and the pacer's next chunk.
            constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
            const std::uint64_t frame =
                testFarEnd_ ? kNever : module_.NextFrameUs().value_or(kNever);
            const std::uint64_t next = std::min(frame, pacer_.NextChunkUs().value_or(kNever));
            if (next != kNever) {
                wakeMs = CeilMs(next);
            }
        }
        // With nobody listening nothing needs the clock: the next open or
        // write wakes the module.
        if (moduleWake_.Wait(
                lock, [this] { return kicked_; }, wakeMs, stop) == WaitResult::Cancelled) {
            return;
        }
    }
}

void SimulatedPort::Pump(std::uint64_t nowUs) {
    if (!Listening()) {
        module_.Skip(nowUs);
        pacer_.Clear();
        return;
    }
    if (!testFarEnd_) {
        while (const auto frame = module_.TakeFrame(nowUs)) {
            pacer_.Send(frame->bytes, frame->readyUs);
        }
    }
    bool delivered = false;
    while (const auto chunk = pacer_.TakeChunk(nowUs)) {
        Deliver(chunk->bytes, CeilMs(chunk->endUs));
        delivered = true;
    }
    if (delivered) {
        received_.NotifyAll();
    }
}

void SimulatedPort::Deliver(const std::vector<std::uint8_t>& bytes, std::uint64_t atMs) {
    if (!testFarEnd_ && !LineMatches()) {
        errors_ |= CE_FRAME;
        return;
    }
    const std::size_t room = kQueueBytes - std::min(kQueueBytes, queue_.size());
    const std::size_t taken = std::min(room, bytes.size());
    queue_.insert(queue_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    if (taken < bytes.size()) {
        errors_ |= CE_RXOVER;
    }
    if (taken > 0) {
        lastArrivalMs_ = atMs;
        pending_ |= mask_ & platform::EV_RXCHAR;
    }
}

std::shared_ptr<unit::DeviceOpen> SimulatedPort::Open(DWORD access, DWORD share, DWORD* /*error*/) {
    auto open = std::make_shared<SimulatedOpen>();
    open->access = access;
    open->share = share;
    {
        std::lock_guard lock(mutex_);
        if (opens_++ == 0) {
            // A fresh port: the driver's defaults and an empty queue; the
            // module carries on from now.
            dcb_ = DefaultDcb();
            timeouts_ = {};
            mask_ = 0;
            pending_ = 0;
            errors_ = 0;
            queue_.clear();
            module_.Skip(NowUs());
            pacer_.Clear();
        }
    }
    Kick();
    return open;
}

void SimulatedPort::Close(unit::DeviceOpen& open) {
    {
        std::lock_guard lock(mutex_);
        SimulatedOpen& o = AsSimulatedOpen(open);
        if (o.closed) {
            return;
        }
        o.closed = true;
        if (--opens_ == 0) {
            queue_.clear();
            pending_ = 0;
        }
    }
    received_.NotifyAll();
    Kick();
}

DriverResult SimulatedPort::Read(unit::DeviceOpen& open, void* buffer, DWORD toRead, DWORD* read) {
    if (read != nullptr) {
        *read = 0;
    }
    if (buffer == nullptr && toRead > 0) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    SimulatedOpen& o = AsSimulatedOpen(open);
    std::unique_lock lock(mutex_);
    const ReadDeadline plan(timeouts_, toRead, scheduler_.NowMs());
    DWORD got = 0;
    for (;;) {
        if (o.closed) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        const auto n = static_cast<DWORD>(std::min<std::size_t>(queue_.size(), toRead - got));
        const auto end = queue_.begin() + static_cast<std::ptrdiff_t>(n);
        std::copy(queue_.begin(), end, out + got);
        queue_.erase(queue_.begin(), end);
        got += n;
        if (read != nullptr) {
            *read = got;
        }
        if (got == toRead || plan.Immediate() || (plan.ReturnOnAnyByte() && got > 0)) {
            return DriverResult::Ok();
        }
        ++waiting_;
        const WaitResult r = received_.Wait(
            lock, [&] { return !queue_.empty() || o.closed; }, plan.Deadline(got, lastArrivalMs_));
        --waiting_;
        if (r == WaitResult::TimedOut) {
            return DriverResult::Ok();
        }
        if (r == WaitResult::Cancelled) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
    }
}

DriverResult SimulatedPort::Write(unit::DeviceOpen& open, const void* buffer, DWORD toWrite,
                                  DWORD* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (buffer == nullptr && toWrite > 0) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    {
        std::lock_guard lock(mutex_);
        if (AsSimulatedOpen(open).closed) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        written_.insert(written_.end(), bytes, bytes + toWrite);
        if (written_.size() > kWrittenKept) {
            written_.erase(
                written_.begin(),
                written_.begin() + static_cast<std::ptrdiff_t>(written_.size() - kWrittenKept));
        }
        if (testFarEnd_) {
            farReceived_.insert(farReceived_.end(), bytes, bytes + toWrite);
            if (farReceived_.size() > kWrittenKept) {
                farReceived_.erase(farReceived_.begin(),
                                   farReceived_.begin() + static_cast<std::ptrdiff_t>(
                                                              farReceived_.size() - kWrittenKept));
            }
        } else if (toWrite > 0 && LineMatches() && !silent_) {
            module_.Receive({bytes, toWrite}, NowUs() + ByteEndUs(toWrite - 1));
            kicked_ = true;
        }
    }
    farReceivedWake_.NotifyAll();
    moduleWake_.NotifyAll();
    if (written != nullptr) {
        *written = toWrite;
    }
    return DriverResult::Ok();
}

DriverResult SimulatedPort::GetCommState(unit::DeviceOpen& open, platform::DCB* dcb) {
    if (dcb == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(mutex_);
    if (AsSimulatedOpen(open).closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    *dcb = dcb_;
    return DriverResult::Ok();
}

DriverResult SimulatedPort::SetCommState(unit::DeviceOpen& open, const platform::DCB& dcb) {
    const bool valid = dcb.BaudRate != 0 && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 &&
                       dcb.Parity <= 4 && dcb.StopBits <= 2;
    if (!valid) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(mutex_);
    if (AsSimulatedOpen(open).closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    dcb_ = dcb;
    return DriverResult::Ok();
}

DriverResult SimulatedPort::GetCommTimeouts(unit::DeviceOpen& open,
                                            platform::COMMTIMEOUTS* timeouts) {
    if (timeouts == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(mutex_);
    if (AsSimulatedOpen(open).closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    *timeouts = timeouts_;
    return DriverResult::Ok();
}

DriverResult SimulatedPort::SetCommTimeouts(unit::DeviceOpen& open,
                                            const platform::COMMTIMEOUTS& timeouts) {
    std::lock_guard lock(mutex_);
    if (AsSimulatedOpen(open).closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    timeouts_ = timeouts;
    return DriverResult::Ok();
}

DriverResult SimulatedPort::SetCommMask(unit::DeviceOpen& open, DWORD mask) {
    {
        std::lock_guard lock(mutex_);
        if (AsSimulatedOpen(open).closed) {
            return DriverResult::Fail(ERROR_INVALID_HANDLE);
        }
        mask_ = mask;
        pending_ = 0;
        ++maskChanges_;
    }
    // A wait in progress returns with no event.
    received_.NotifyAll();
    return DriverResult::Ok();
}

DriverResult SimulatedPort::WaitCommEvent(unit::DeviceOpen& open, DWORD* eventMask) {
    if (eventMask == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    *eventMask = 0;
    SimulatedOpen& o = AsSimulatedOpen(open);
    std::unique_lock lock(mutex_);
    const std::uint64_t changes = maskChanges_;
    // An empty mask waits for a new mask or the close, rather than failing
    // at once: a loop that retries failed waits must not spin.
    ++waiting_;
    const WaitResult r = received_.Wait(
        lock, [&] { return o.closed || maskChanges_ != changes || (pending_ & mask_) != 0; });
    --waiting_;
    if (r == WaitResult::Cancelled || o.closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    if (maskChanges_ != changes) {
        return DriverResult::Ok();
    }
    *eventMask = pending_ & mask_;
    pending_ &= ~*eventMask;
    return DriverResult::Ok();
}

DriverResult SimulatedPort::ClearCommError(unit::DeviceOpen& open, DWORD* errors,
                                           platform::COMSTAT* status) {
    std::lock_guard lock(mutex_);
    if (AsSimulatedOpen(open).closed) {
        return DriverResult::Fail(ERROR_INVALID_HANDLE);
    }
    if (errors != nullptr) {
        *errors = errors_;
    }
    errors_ = 0;
    if (status != nullptr) {
        status->cbInQue = static_cast<DWORD>(queue_.size());
        status->cbOutQue = 0;
    }
    return DriverResult::Ok();
}

}  // namespace host::com7
