#include "hub.h"

#include <algorithm>
#include <utility>

#include "platform/world.h"

namespace ui::detail {

namespace {

// The hub of the world's desktop.
struct HubSlot {
    std::mutex mutex;
    std::shared_ptr<Hub> hub;
};

bool Matches(const MSG& m, HWND hwnd, UINT first, UINT last) {
    if (hwnd != nullptr && m.hwnd != hwnd) {
        return false;
    }
    if (first == 0 && last == 0) {
        return true;
    }
    return m.message >= first && m.message <= last;
}

}  // namespace

std::shared_ptr<Hub> CurrentHub() {
    auto& slot = platform::CurrentWorld().Part<HubSlot>();
    std::lock_guard lock(slot.mutex);
    return slot.hub;
}

void SetCurrentHub(std::shared_ptr<Hub> hub) {
    auto& slot = platform::CurrentWorld().Part<HubSlot>();
    std::lock_guard lock(slot.mutex);
    slot.hub = std::move(hub);
}

void Hub::WakeLocked() {
    woken_ = true;
    uiWake_.notify_all();
    if (presenter_ != nullptr) {
        presenter_->Wake();
    }
}

bool Hub::Post(const MSG& msg) {
    std::lock_guard lock(mutex_);
    if (closed_ || !live_.contains(msg.hwnd)) {
        return false;
    }
    posted_.push_back(msg);
    WakeLocked();
    return true;
}

LRESULT Hub::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto item = std::make_shared<SentItem>();
    item->hwnd = hwnd;
    item->message = message;
    item->wParam = wParam;
    item->lParam = lParam;
    std::unique_lock lock(mutex_);
    if (closed_ || !live_.contains(hwnd)) {
        return 0;
    }
    sent_.push_back(item);
    WakeLocked();
    sentDone_.wait(lock, [&] { return item->done; });
    return item->result;
}

bool Hub::Invoke(HWND hwnd, std::function<void()> call) {
    auto item = std::make_shared<SentItem>();
    item->hwnd = hwnd;
    item->invoke = std::move(call);
    std::unique_lock lock(mutex_);
    if (closed_ || (hwnd != nullptr && !live_.contains(hwnd))) {
        return false;
    }
    sent_.push_back(item);
    WakeLocked();
    sentDone_.wait(lock, [&] { return item->done; });
    return item->result != 0;
}

void Hub::InjectInput(const InputEvent& event) {
    std::lock_guard lock(mutex_);
    input_.push_back(event);
    WakeLocked();
}

void Hub::RequestQuit() {
    std::lock_guard lock(mutex_);
    quit_ = true;
    WakeLocked();
}

void Hub::Wake() {
    std::lock_guard lock(mutex_);
    WakeLocked();
}

bool Hub::IsLive(HWND hwnd) {
    std::lock_guard lock(mutex_);
    return live_.contains(hwnd);
}

void Hub::AddLive(HWND hwnd) {
    std::lock_guard lock(mutex_);
    live_.insert(hwnd);
}

void Hub::RemoveLive(HWND hwnd) {
    std::lock_guard lock(mutex_);
    live_.erase(hwnd);
    std::erase_if(posted_, [&](const MSG& m) { return m.hwnd == hwnd; });
    bool failed = false;
    std::erase_if(sent_, [&](const std::shared_ptr<SentItem>& item) {
        if (item->hwnd != hwnd) {
            return false;
        }
        item->result = 0;
        item->done = true;
        failed = true;
        return true;
    });
    if (failed) {
        sentDone_.notify_all();
    }
}

std::shared_ptr<SentItem> Hub::TakeSent() {
    std::lock_guard lock(mutex_);
    if (sent_.empty()) {
        return nullptr;
    }
    auto item = std::move(sent_.front());
    sent_.pop_front();
    return item;
}

void Hub::Complete(const std::shared_ptr<SentItem>& item, LRESULT result) {
    std::lock_guard lock(mutex_);
    item->result = result;
    item->done = true;
    sentDone_.notify_all();
}

bool Hub::TakePosted(MSG* msg, HWND hwnd, UINT first, UINT last, bool remove) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(posted_.begin(), posted_.end(),
                           [&](const MSG& m) { return Matches(m, hwnd, first, last); });
    if (it == posted_.end()) {
        return false;
    }
    *msg = *it;
    if (remove) {
        posted_.erase(it);
    }
    return true;
}

std::size_t Hub::PostedCount() {
    std::lock_guard lock(mutex_);
    return posted_.size();
}

bool Hub::TakeInput(InputEvent* event) {
    std::lock_guard lock(mutex_);
    if (input_.empty()) {
        return false;
    }
    *event = std::move(input_.front());
    input_.pop_front();
    return true;
}

bool Hub::TakeQuitRequest() {
    std::lock_guard lock(mutex_);
    return std::exchange(quit_, false);
}

bool Hub::Empty() {
    std::lock_guard lock(mutex_);
    return sent_.empty() && posted_.empty() && input_.empty() && !quit_;
}

void Hub::WaitInternal() {
    std::unique_lock lock(mutex_);
    uiWake_.wait(lock, [&] {
        return woken_ || !sent_.empty() || !posted_.empty() || !input_.empty() || quit_;
    });
    woken_ = false;
}

void Hub::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    presenter_ = nullptr;
    for (auto& item : sent_) {
        item->result = 0;
        item->done = true;
    }
    sent_.clear();
    posted_.clear();
    input_.clear();
    live_.clear();
    sentDone_.notify_all();
    uiWake_.notify_all();
}

}  // namespace ui::detail
