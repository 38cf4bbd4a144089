// Worker threads. The platform runs the procedure; the framework keeps the
// CWinThread object (so a late wait never meets a dangling pointer) and the
// end of the procedure wakes the UI thread.
#include "ui/thread.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "desktop_impl.h"
#include "hub.h"
#include "platform/api.h"

namespace ui {

namespace detail {

struct ThreadState {
    std::mutex mutex;
    std::condition_variable ended_cv;
    bool ended = false;
    UINT exitCode = 0;
};

}  // namespace detail

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::unique_ptr<CWinThread>> threads;
};

// Never destroyed: at exit the platform may be gone, so threads still listed
// then (a program that never waited for them) are left alone, and their
// objects stay reachable instead of leaking.
Registry& Threads() {
    static Registry* const registry = std::make_unique<Registry>().release();
    return *registry;
}

}  // namespace

CWinThread::~CWinThread() {
    Join();
}

bool CWinThread::HasEnded() const {
    std::lock_guard lock(state_->mutex);
    return state_->ended;
}

UINT CWinThread::ExitCode() const {
    std::lock_guard lock(state_->mutex);
    return state_->exitCode;
}

void CWinThread::Join() {
    if (m_hThread == 0) {
        return;
    }
    platform::WaitForSingleObject(m_hThread, platform::INFINITE);
    platform::CloseHandle(m_hThread);
    m_hThread = 0;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT /*stackSize*/,
                           DWORD /*flags*/, void* /*security*/) {
    if (proc == nullptr || platform::Installed().kernel == nullptr) {
        platform::SetLastError(platform::ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<CWinThread> thread(new CWinThread());
    auto state = std::make_shared<detail::ThreadState>();
    thread->state_ = state;
    const HANDLE handle = platform::CreateThread(
        [state, proc, param]() -> DWORD {
            const UINT code = proc(param);
            {
                std::lock_guard lock(state->mutex);
                state->ended = true;
                state->exitCode = code;
            }
            state->ended_cv.notify_all();
            if (auto hub = detail::CurrentHub()) {
                hub->Wake();
            }
            return code;
        },
        priority);
    if (handle == 0) {
        return nullptr;  // the platform's last error stays
    }
    thread->m_hThread = handle;
    CWinThread* raw = thread.get();
    Registry& registry = Threads();
    std::lock_guard lock(registry.mutex);
    registry.threads.push_back(std::move(thread));
    return raw;
}

BOOL WaitForThread(CWinThread* thread) {
    if (thread == nullptr) {
        return TRUE;
    }
    const std::shared_ptr<detail::ThreadState> state = thread->state_;
    const auto ended = [&] {
        std::lock_guard lock(state->mutex);
        return state->ended;
    };
    if (detail::DesktopImpl* d = detail::DesktopImpl::Current()) {
        d->RunLoop(ended, detail::DesktopImpl::LoopKind::ThreadWait);
    } else {
        std::unique_lock lock(state->mutex);
        state->ended_cv.wait(lock, [&] { return state->ended; });
    }
    // The platform's thread is released now; the object stays valid for
    // later waits and is freed with the other ended ones.
    thread->Join();
    return TRUE;
}

void ReleaseEndedThreads() {
    std::vector<std::unique_ptr<CWinThread>> ended;
    {
        Registry& registry = Threads();
        std::lock_guard lock(registry.mutex);
        auto& all = registry.threads;
        for (auto it = all.begin(); it != all.end();) {
            if ((*it)->HasEnded()) {
                ended.push_back(std::move(*it));
                it = all.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Joined and closed here, outside the registry's lock.
}

}  // namespace ui
