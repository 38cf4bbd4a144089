// Worker threads for the framework's programs.
//
// Lifetime: every CWinThread belongs to the framework. One started on the UI
// thread while a modal window is open belongs to that window's run: it stays
// valid while the window runs and until the code that ran the window is back
// in its own message loop, so the window, and the handler that ran it, may
// wait for the thread and look at it afterwards. After that, once the thread
// has ended and been waited for (WaitForThread on the UI thread), the object
// is released: a window object that outlives that handler forgets its
// pointer when it has waited. Any other thread object (no window open at its
// start, started off the UI thread, or never waited for) stays until the
// Desktop ends or ReleaseEndedThreads. A thread ends by returning from its
// procedure.
#pragma once

#include <cstddef>
#include <memory>

#include "ui/styles.h"
#include "ui/types.h"

namespace ui {

namespace detail {
struct ThreadState;
}

class CWinThread;
using AFX_THREADPROC = UINT (*)(LPVOID);

// Starts proc(param) on a new thread through platform::CreateThread. Returns
// null with the platform's last error when no thread can be started.
// stackSize, flags and security are accepted and ignored.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0, void* security = nullptr);

// Waits until the thread has ended. On the UI thread the wait serves sent
// and posted messages, timers and painting, so a worker blocked in
// SendMessage to a window can finish; elsewhere it just blocks. TRUE at once
// for null or an ended thread.
BOOL WaitForThread(CWinThread* thread);

// Frees the CWinThread objects whose threads have ended (the Desktop does
// this when it ends). Pointers to them become invalid.
void ReleaseEndedThreads();

// How many CWinThread objects the framework holds now, running or ended.
std::size_t ThreadObjects();

class CWinThread {
  public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    ~CWinThread();

    // The platform's thread handle (0 once the thread has been joined).
    HANDLE m_hThread = 0;
    // Kept for source compatibility; the framework always owns the object.
    BOOL m_bAutoDelete = TRUE;

    [[nodiscard]] bool HasEnded() const;
    // The procedure's result once it has ended.
    [[nodiscard]] UINT ExitCode() const;

  private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
    friend BOOL WaitForThread(CWinThread*);
    friend void ReleaseEndedThreads();
    CWinThread() = default;
    void Join();
    std::shared_ptr<detail::ThreadState> state_;
};

}  // namespace ui
