#include "run_print.h"

#include "trace_collector.h"
#include "xml_text.h"

namespace program::detail {

namespace {

// Texts in a list, each quoted with what it hides shown.
std::string Listed(const std::vector<std::string>& texts) {
    std::string list = "[";
    for (const std::string& text : texts) {
        list += (list.size() > 1 ? ", \"" : "\"") + Shown(text) + "\"";
    }
    return list + "]";
}

std::string Picture(const std::optional<std::uint64_t>& hash) {
    return hash ? PictureName(*hash) : std::string("none");
}

std::string Where(const std::string& name, const RunPrint::Step& step) {
    return name + ":" + std::to_string(step.line) + ": " + step.command;
}

}  // namespace

void RunPrint::CommandStarted(const script::Command& command) {
    if (next_ != nullptr) {
        next_->CommandStarted(command);
    }
}

void RunPrint::CommandEnded(const script::CommandRecord& record) {
    Step& step = steps_.emplace_back();
    step.line = record.command->line;
    step.command = record.command->source;
    step.failure = record.failure;
    step.unitMs = record.unitMs;
    if (record.screen != nullptr) {
        step.screen = HashPicture(*record.screen);
    }
    if (record.pictures != nullptr) {
        step.actual = HashPicture(record.pictures->actual);
    }
    step.debugLines = record.debugLines;
    for (const ui::MessageBoxInfo& box : record.messageBoxes) {
        step.messageBoxes.push_back(box.text);
    }
    if (next_ != nullptr) {
        next_->CommandEnded(record);
    }
}

std::optional<std::string> FirstDifference(const std::string& name,
                                           const std::vector<RunPrint::Step>& first,
                                           const std::vector<RunPrint::Step>& later, int run,
                                           int runs) {
    const std::string parts =
        "run " + std::to_string(run) + " of " + std::to_string(runs) + " parts from run 1 here: ";
    const std::string one = "run 1 ";
    const std::string other = ", run " + std::to_string(run) + " ";
    for (std::size_t i = 0; i < first.size() && i < later.size(); ++i) {
        const RunPrint::Step& a = first[i];
        const RunPrint::Step& b = later[i];
        if (a == b) {
            continue;
        }
        std::string what;
        if (a.line != b.line || a.command != b.command) {
            what = "the command: " + one + "\"" + Shown(a.command) + "\" (line " +
                   std::to_string(a.line) + ")" + other + "\"" + Shown(b.command) + "\" (line " +
                   std::to_string(b.line) + ")";
        } else if (a.failure != b.failure) {
            const auto outcome = [](const std::string& f) {
                return f.empty() ? std::string("ok") : "\"" + Shown(f) + "\"";
            };
            what = "the outcome: " + one + outcome(a.failure) + other + outcome(b.failure);
        } else if (a.unitMs != b.unitMs) {
            what = "the unit's clock: " + one + std::to_string(a.unitMs) + " ms" + other +
                   std::to_string(b.unitMs) + " ms";
        } else if (a.debugLines != b.debugLines) {
            what = "the debug lines: " + one + Listed(a.debugLines) + other + Listed(b.debugLines);
        } else if (a.messageBoxes != b.messageBoxes) {
            what = "the message boxes: " + one + Listed(a.messageBoxes) + other +
                   Listed(b.messageBoxes);
        } else if (a.screen != b.screen) {
            what = "the screen after it: " + one + Picture(a.screen) + other + Picture(b.screen);
        } else {
            what = "the compared area: " + one + Picture(a.actual) + other + Picture(b.actual);
        }
        return Where(name, b) + ": " + parts + what;
    }
    if (first.size() == later.size()) {
        return std::nullopt;
    }
    // One run ended where the other went on.
    const bool laterLonger = later.size() > first.size();
    const RunPrint::Step& next = laterLonger ? later[first.size()] : first[later.size()];
    const std::string at = first.empty() && later.empty() ? name : Where(name, next);
    return at + ": " + parts + "the end: " +
           (laterLonger ? one + "ended before it" + other + "ran it"
                        : one + "ran it" + other + "ended before it");
}

}  // namespace program::detail
