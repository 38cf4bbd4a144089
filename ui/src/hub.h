// The part of the desktop that other threads reach: which windows exist, the
// posted and sent message queues, injected input and the wake-up of the UI
// thread. Everything in it is guarded by its mutex.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "ui/presenter.h"
#include "ui/types.h"

namespace ui::detail {

// A message sent from another thread, or a call to run on the UI thread.
struct SentItem {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<void()> invoke;
    LRESULT result = 0;
    bool done = false;
};

class Hub {
  public:
    explicit Hub(Presenter* presenter) : presenter_(presenter) {}

    // Any thread.
    bool Post(const MSG& msg);
    // Blocks until the UI thread has handled it; 0 when the window is gone.
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs call on the UI thread while hwnd exists (hwnd null: always);
    // false when it did not run.
    bool Invoke(HWND hwnd, std::function<void()> call);
    void InjectInput(const InputEvent& event);
    void RequestQuit();
    void Wake();
    [[nodiscard]] bool IsLive(HWND hwnd);

    // UI thread.
    void AddLive(HWND hwnd);
    // Drops the window's posted messages and fails the calls waiting on it.
    void RemoveLive(HWND hwnd);
    std::shared_ptr<SentItem> TakeSent();
    void Complete(const std::shared_ptr<SentItem>& item, LRESULT result);
    bool TakePosted(MSG* msg, HWND hwnd, UINT first, UINT last, bool remove);
    std::size_t PostedCount();
    bool TakeInput(InputEvent* event);
    bool TakeQuitRequest();
    bool Empty();
    // Blocks until something arrives or Wake() is called (used once the
    // presenter may no longer be asked for events).
    void WaitInternal();
    // The desktop ends: fails every waiting sender, forgets the presenter.
    void Close();

  private:
    // With the mutex held: the UI thread (waiting here or in the presenter)
    // goes on.
    void WakeLocked();

    std::mutex mutex_;
    std::condition_variable sentDone_;
    std::condition_variable uiWake_;
    Presenter* presenter_;
    bool closed_ = false;
    bool woken_ = false;
    bool quit_ = false;
    std::unordered_set<HWND> live_;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<SentItem>> sent_;
    std::deque<InputEvent> input_;
};

// The hub of the desktop that runs in the calling thread's world, if any
// (any thread).
std::shared_ptr<Hub> CurrentHub();
void SetCurrentHub(std::shared_ptr<Hub> hub);

}  // namespace ui::detail
