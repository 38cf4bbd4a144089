// System threads: CreateThread, WaitForSingleObject, and their accounting.
#include "unit_impl.h"

namespace host::unit {

using namespace platform;

HANDLE VirtualUnit::CreateThread(std::function<DWORD()> entry, int priority) {
    if (auto code = impl_->kernelFaults.Find("createthread")) {
        SetLastError(*code);
        return 0;
    }
    auto record = std::make_shared<ThreadRecord>(*impl_->scheduler);
    record->priority = priority;
    record->thread = impl_->scheduler->StartCounted([record, entry = std::move(entry)] {
        const DWORD code = entry();
        {
            std::lock_guard lock(record->mutex);
            record->finished = true;
            record->exitCode = code;
        }
        record->done.NotifyAll();
    });
    if (!record->thread.joinable()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    {
        std::lock_guard lock(impl_->threadsMutex);
        // Join the threads that have ended since the last start.
        std::erase_if(impl_->threads, [](const std::shared_ptr<ThreadRecord>& t) {
            bool finished = false;
            {
                std::lock_guard l(t->mutex);
                finished = t->finished;
            }
            if (finished && t->thread.joinable()) {
                t->thread.join();
            }
            return finished;
        });
        impl_->threads.push_back(record);
    }
    return impl_->handles.Add(record);
}

DWORD VirtualUnit::WaitForSingleObject(HANDLE h, DWORD milliseconds) {
    auto object = impl_->handles.Get(h);
    auto* thread = object ? std::get_if<std::shared_ptr<ThreadRecord>>(&*object) : nullptr;
    if (thread == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const std::shared_ptr<ThreadRecord> record = *thread;
    std::optional<std::uint64_t> deadline;
    if (milliseconds != INFINITE) {
        deadline = impl_->scheduler->NowMs() + milliseconds;
    }
    std::unique_lock lock(record->mutex);
    const WaitResult r = record->done.Wait(
        lock, [&] { return record->finished; }, deadline);
    switch (r) {
        case WaitResult::Ready:
            return WAIT_OBJECT_0;
        case WaitResult::TimedOut:
            return WAIT_TIMEOUT;
        case WaitResult::Cancelled:
            break;
    }
    SetLastError(ERROR_OPERATION_ABORTED);
    return WAIT_FAILED;
}

}  // namespace host::unit
