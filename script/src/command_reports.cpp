#include "command_reports.h"

#include <iterator>
#include <utility>
#include <vector>

#include "script/window_tree.h"

namespace script::detail {

CommandReports::CommandReports(RunObserver* observer, Target& target)
    : observer_(observer), target_(target) {
    if (observer_ != nullptr && observer_->WantsTraffic()) {
        traffic_ = target_.Traffic();
        if (traffic_ != nullptr) {
            traffic_->Keep();
        }
    }
}

void CommandReports::Start(const Command& c, bool tell) {
    current_ = &c;
    since_ = std::chrono::steady_clock::now();
    if (tell && observer_ != nullptr) {
        observer_->CommandStarted(c);
    }
}

void CommandReports::End(ui::Desktop* desktop, const std::string& failure,
                         const ScreenPictures* pictures) {
    const Command* c = std::exchange(current_, nullptr);
    if (c == nullptr || observer_ == nullptr) {
        return;
    }
    CommandRecord record;
    record.command = c;
    record.failure = failure;
    record.unitMs = target_.NowMs();
    record.wall = std::chrono::steady_clock::now() - since_;
    if (desktop != nullptr) {
        record.screen = &desktop->Screen();
        const auto box = desktop->TopMessageBox();
        if (box && box->hwnd != boxReported_) {
            record.messageBoxes.push_back(*box);
        }
        boxReported_ = box ? box->hwnd : nullptr;
    }
    std::vector<std::string> lines = target_.DebugLines();
    if (debugReported_ > lines.size()) {
        debugReported_ = 0;  // the unit's record was cleared
    }
    record.debugLines.assign(
        std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(debugReported_)),
        std::make_move_iterator(lines.end()));
    debugReported_ = lines.size();
    if (traffic_ != nullptr) {
        record.traffic = traffic_->Since(trafficReported_, &trafficReported_);
    }
    if (!failure.empty()) {
        record.pictures = pictures;
        if (desktop != nullptr) {
            record.windows = WindowTreeJson(*desktop);
        }
    }
    observer_->CommandEnded(record);
}

}  // namespace script::detail
