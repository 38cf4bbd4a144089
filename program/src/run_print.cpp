#include "run_print.h"

#include <algorithm>

#include "script/traffic_text.h"
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

// An event in the monitor's words, or "none".
std::string Event(const std::vector<platform::TrafficEvent>& events, std::size_t i) {
    if (i >= events.size()) {
        return "none";
    }
    std::string line = script::TrafficLine(events[i], script::DescribeTraffic(events[i]));
    line.erase(0, line.find_first_not_of(' '));
    return "\"" + Shown(line) + "\"";
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
    step.traffic = record.traffic;
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
    // "FILE:LINE: command: run K of N parts from run 1 here: ASPECT: run 1 A, run K B"
    const auto parted = [&](const RunPrint::Step* at, std::string_view aspect,
                            const std::string& one, const std::string& other) {
        std::string text = at != nullptr ? Where(name, *at) : name;
        text += ": run ";
        text += std::to_string(run);
        text += " of ";
        text += std::to_string(runs);
        text += " parts from run 1 here: ";
        text += aspect;
        text += ": run 1 ";
        text += one;
        text += ", run ";
        text += std::to_string(run);
        text += ' ';
        text += other;
        return text;
    };
    const auto outcome = [](const std::string& f) {
        return f.empty() ? std::string("ok") : "\"" + Shown(f) + "\"";
    };
    const auto command = [](const RunPrint::Step& step) {
        std::string text = "\"" + Shown(step.command);
        text += "\" (line ";
        text += std::to_string(step.line);
        text += ')';
        return text;
    };
    const auto ms = [](std::uint64_t t) { return std::to_string(t) + " ms"; };
    for (std::size_t i = 0; i < first.size() && i < later.size(); ++i) {
        const RunPrint::Step& a = first[i];
        const RunPrint::Step& b = later[i];
        if (a == b) {
            continue;
        }
        if (a.line != b.line || a.command != b.command) {
            return parted(&b, "the command", command(a), command(b));
        }
        if (a.failure != b.failure) {
            return parted(&b, "the outcome", outcome(a.failure), outcome(b.failure));
        }
        if (a.unitMs != b.unitMs) {
            return parted(&b, "the unit's clock", ms(a.unitMs), ms(b.unitMs));
        }
        if (a.debugLines != b.debugLines) {
            return parted(&b, "the debug lines", Listed(a.debugLines), Listed(b.debugLines));
        }
        if (a.messageBoxes != b.messageBoxes) {
            return parted(&b, "the message boxes", Listed(a.messageBoxes), Listed(b.messageBoxes));
        }
        if (a.traffic != b.traffic) {
            const auto [one, other] = std::ranges::mismatch(a.traffic, b.traffic);
            const auto at = static_cast<std::size_t>(one - a.traffic.begin());
            return parted(&b, "the traffic, event " + std::to_string(at + 1) + " of the step",
                          Event(a.traffic, at), Event(b.traffic, at));
        }
        if (a.screen != b.screen) {
            return parted(&b, "the screen after it", Picture(a.screen), Picture(b.screen));
        }
        return parted(&b, "the compared area", Picture(a.actual), Picture(b.actual));
    }
    if (first.size() == later.size()) {
        return std::nullopt;
    }
    // One run ended where the other went on.
    const bool laterLonger = later.size() > first.size();
    const RunPrint::Step& next = laterLonger ? later[first.size()] : first[later.size()];
    return laterLonger ? parted(&next, "the end", "ended before it", "ran it")
                       : parted(&next, "the end", "ran it", "ended before it");
}

}  // namespace program::detail
