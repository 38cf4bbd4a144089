// Threads, their priorities and waits, and the debug output.
#include <array>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/utf16.h"
#include "win32_api.h"
#include "win32_error.h"
#include "win32_kernel.h"

namespace win32::pc {

namespace {

struct ThreadObject final : HandleObject {
    explicit ThreadObject(::HANDLE thread) : h(thread) {}
    ~ThreadObject() override { ::CloseHandle(h); }
    ::HANDLE h;
};

// The unit's priority scale (0 time-critical .. 7 idle, 3 normal) on the
// desktop's thread priorities.
constexpr std::array<int, 8> kPriorities = {THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST,
                                            THREAD_PRIORITY_ABOVE_NORMAL,  THREAD_PRIORITY_NORMAL,
                                            THREAD_PRIORITY_BELOW_NORMAL,  THREAD_PRIORITY_LOWEST,
                                            THREAD_PRIORITY_LOWEST,        THREAD_PRIORITY_IDLE};

using Entry = std::function<DWORD()>;

DWORD WINAPI RunEntry(void* argument) {
    const std::unique_ptr<Entry> entry(static_cast<Entry*>(argument));
    return (*entry)();
}

}  // namespace

platform::HANDLE Win32Kernel::CreateThread(std::function<platform::DWORD()> entry, int priority) {
    if (priority < 0 || priority >= static_cast<int>(kPriorities.size())) {
        Fail(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto owned = std::make_unique<Entry>(std::move(entry));
    ::HANDLE h = ::CreateThread(nullptr, 0, RunEntry, owned.get(), CREATE_SUSPENDED, nullptr);
    if (h == nullptr) {
        TakeLastError();
        return 0;
    }
    // The thread owns its entry from here on.
    static_cast<void>(owned.release());
    ::SetThreadPriority(h, kPriorities.at(static_cast<std::size_t>(priority)));
    ::ResumeThread(h);
    return handles_.Add(std::make_shared<ThreadObject>(h));
}

platform::DWORD Win32Kernel::WaitForSingleObject(platform::HANDLE h, platform::DWORD milliseconds) {
    const auto thread = handles_.Find<ThreadObject>(h);
    if (!thread) {
        Fail(kBadHandle);
        return WAIT_FAILED;
    }
    const DWORD result = ::WaitForSingleObject(thread->h, milliseconds);
    if (result == WAIT_FAILED) {
        TakeLastError();
    }
    return result;
}

void Win32Kernel::DebugOutput(std::string_view text) {
    if (const std::optional<std::wstring> wide = platform::utf16::FromUtf8(text)) {
        ::OutputDebugStringW(wide->c_str());
    }
    std::lock_guard lock(debugMutex_);
    debugLines_.emplace_back(text);
    if (options_.debugEcho) {
        static_cast<void>(std::fwrite(text.data(), 1, text.size(), stderr));
        static_cast<void>(std::fflush(stderr));
    }
}

std::vector<std::string> Win32Kernel::DebugLines() const {
    std::lock_guard lock(debugMutex_);
    return debugLines_;
}

void Win32Kernel::ClearDebugLines() {
    std::lock_guard lock(debugMutex_);
    debugLines_.clear();
}

}  // namespace win32::pc
