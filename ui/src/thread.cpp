// Worker threads. The platform runs the procedure; the framework keeps the
// CWinThread object for as long as its window may look at it, and the end of
// the procedure wakes the UI thread.
#include "ui/thread.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "desktop_impl.h"
#include "hub.h"
#include "platform/api.h"
#include "platform/world.h"

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

struct Entry {
    std::unique_ptr<CWinThread> thread;
    // The desktop whose modal window the thread belongs to, and that
    // window's place in the modal stack (1 for the first); null and 0 when
    // it belongs to no window.
    const detail::DesktopImpl* home = nullptr;
    std::size_t homeDepth = 0;
    // Ended and waited for on its desktop's UI thread.
    bool waited = false;
};

struct Registry {
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    // A run's world ends after its desktop has released what ended. A thread
    // still listed then was never waited for: it may still run (and hold the
    // last reference to the world), so it is left alone, as at exit.
    ~Registry() {
        for (Entry& entry : threads) {
            if (entry.thread->m_hThread != 0) {
                static_cast<void>(entry.thread.release());
            }
        }
    }

    std::mutex mutex;
    std::vector<Entry> threads;
    // Entries with waited set: lets the loops skip the lock when none is.
    std::atomic<std::size_t> waited{0};
};

// The thread objects of the calling thread's world. The process's world is
// never destroyed: at exit the platform may be gone, so threads still listed
// then (a program that never waited for them) are left alone, and their
// objects stay reachable instead of leaking.
Registry& Threads() {
    return platform::CurrentWorld().Part<Registry>();
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
    Entry entry{std::move(thread)};
    if (const detail::DesktopImpl* d = detail::DesktopImpl::Current()) {
        entry.home = d;
        entry.homeDepth = d->ModalStack().size();
    }
    CWinThread* raw = entry.thread.get();
    Registry& registry = Threads();
    std::lock_guard lock(registry.mutex);
    registry.threads.push_back(std::move(entry));
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
    detail::DesktopImpl* const d = detail::DesktopImpl::Current();
    if (d != nullptr) {
        d->RunLoop(ended, detail::DesktopImpl::LoopKind::ThreadWait);
    } else {
        std::unique_lock lock(state->mutex);
        state->ended_cv.wait(lock, [&] { return state->ended; });
    }
    // The platform's thread is released now; the object stays valid for
    // later waits and looks until its window's time is up.
    thread->Join();
    if (d != nullptr) {
        Registry& registry = Threads();
        std::lock_guard lock(registry.mutex);
        for (Entry& entry : registry.threads) {
            if (entry.thread.get() == thread && entry.home == d && !entry.waited) {
                entry.waited = true;
                ++registry.waited;
            }
        }
    }
    return TRUE;
}

void ReleaseEndedThreads() {
    std::vector<Entry> ended;
    {
        Registry& registry = Threads();
        std::lock_guard lock(registry.mutex);
        auto& all = registry.threads;
        for (auto it = all.begin(); it != all.end();) {
            if (it->thread->HasEnded()) {
                registry.waited -= it->waited ? 1 : 0;
                ended.push_back(std::move(*it));
                it = all.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Joined and closed here, outside the registry's lock.
}

std::size_t ThreadObjects() {
    Registry& registry = Threads();
    std::lock_guard lock(registry.mutex);
    return registry.threads.size();
}

namespace detail {

void ReleaseWaitedThreads(const DesktopImpl& desktop, std::size_t modalDepth) {
    Registry& registry = Threads();
    if (registry.waited.load() == 0) {
        return;
    }
    std::vector<Entry> released;
    {
        std::lock_guard lock(registry.mutex);
        auto& all = registry.threads;
        for (auto it = all.begin(); it != all.end();) {
            if (it->waited && it->home == &desktop && it->homeDepth > modalDepth) {
                --registry.waited;
                released.push_back(std::move(*it));
                it = all.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Already joined by the wait: nothing blocks here.
}

}  // namespace detail

}  // namespace ui
