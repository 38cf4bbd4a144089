#include "result_file.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "platform/text.h"
#include "script/run_options.h"
#include "script/utf8_path.h"
#include "whole_file.h"

namespace program::detail {

namespace {

constexpr std::string_view kHeader = "kestrin-script-result 2\n";
constexpr std::string_view kRunHeader = "kestrin-suite-run 1\n";

template <class Number>
bool ParseNumber(std::string_view text, Number* out) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// "X Y W H" on the screen.
std::string RectText(const ui::Rect& r) {
    return std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.Width()) +
           ' ' + std::to_string(r.Height());
}

bool ParseRect(std::string_view text, ui::Rect* r) {
    int numbers[4] = {};
    for (int& n : numbers) {
        const std::size_t end = std::min(text.find(' '), text.size());
        if (!ParseNumber(text.substr(0, end), &n)) {
            return false;
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    const auto [x, y, w, h] = numbers;
    if (!text.empty() || x < 0 || y < 0 || w < 1 || h < 1 || x + w > ui::kScreenWidth ||
        y + h > ui::kScreenHeight) {
        return false;
    }
    *r = {x, y, x + w, y + h};
    return true;
}

}  // namespace

bool ParseDouble(std::string_view text, double* out) {
    // from_chars for double is missing from some standard libraries.
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    *out = value;
    return !in.fail() && in.eof();
}

// "<key> <length>\n<bytes>\n"
void AppendField(std::string* out, std::string_view key, std::string_view value) {
    *out += key;
    *out += ' ';
    *out += std::to_string(value.size());
    *out += '\n';
    *out += value;
    *out += '\n';
}

bool FieldReader::Next(std::string_view* key, std::string_view* value) {
    if (at_ == text_.size()) {
        return false;
    }
    const std::size_t space = text_.find(' ', at_);
    const std::size_t newline = text_.find('\n', at_);
    std::size_t length = 0;
    if (space == std::string_view::npos || newline == std::string_view::npos || space > newline) {
        bad_ = true;
        return false;
    }
    const auto [ptr, ec] =
        std::from_chars(text_.data() + space + 1, text_.data() + newline, length);
    if (ec != std::errc() || ptr != text_.data() + newline || length > text_.size() - newline - 1 ||
        text_.size() - newline - 1 - length < 1 || text_[newline + 1 + length] != '\n') {
        bad_ = true;
        return false;
    }
    *key = text_.substr(at_, space - at_);
    *value = text_.substr(newline + 1, length);
    at_ = newline + 1 + length + 1;
    return true;
}

void AppendTrace(std::string* out, const std::vector<TraceStep>& trace, std::string_view pictures) {
    const auto picture = [&](std::string_view key, const std::string& name) {
        AppendField(out, key, name.empty() ? name : std::string(pictures) + name);
    };
    for (const TraceStep& step : trace) {
        AppendField(out, "step", std::to_string(step.line));
        AppendField(out, "command", step.command);
        AppendField(out, "step-failure", step.failure);
        AppendField(out, "unit-ms", std::to_string(step.unitMs));
        AppendField(out, "wall-ms", platform::Format("%.6f", step.wallMs));
        picture("screen", step.screen);
        for (const std::string& line : step.debugLines) {
            AppendField(out, "debug", line);
        }
        for (const std::string& box : step.messageBoxes) {
            AppendField(out, "box", box);
        }
        picture("reference", step.reference);
        picture("actual", step.actual);
        picture("difference", step.difference);
        if (!step.area.Empty()) {
            AppendField(out, "area", RectText(step.area));
        }
        for (const ui::Rect& mask : step.masks) {
            AppendField(out, "mask", RectText(mask));
        }
        if (!step.windows.empty()) {
            AppendField(out, "windows", step.windows);
        }
        for (const std::string& line : step.traffic) {
            AppendField(out, "traffic", line);
        }
        if (step.trafficLeftOut > 0) {
            AppendField(out, "traffic-left-out", std::to_string(step.trafficLeftOut));
        }
    }
}

TraceField ReadTraceField(std::string_view key, std::string_view value, std::string_view pictures,
                          std::vector<TraceStep>* trace) {
    if (key == "step") {
        return ParseNumber(value, &trace->emplace_back().line) ? TraceField::Read : TraceField::Bad;
    }
    // A picture is a plain file name in the screens' folder, never a way out
    // of it.
    const auto picture = [&](std::string* to) {
        if (value.empty()) {
            to->clear();
            return TraceField::Read;
        }
        if (!value.starts_with(pictures)) {
            return TraceField::Bad;
        }
        const std::string_view name = value.substr(pictures.size());
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("/\\:") != std::string_view::npos) {
            return TraceField::Bad;
        }
        *to = name;
        return TraceField::Read;
    };
    static constexpr std::string_view kStepKeys[] = {
        "command", "step-failure", "unit-ms",   "wall-ms", "screen",
        "debug",   "box",          "reference", "actual",  "difference",
        "area",    "mask",         "windows",   "traffic", "traffic-left-out"};
    if (std::ranges::find(kStepKeys, key) == std::end(kStepKeys)) {
        return TraceField::NotOne;
    }
    if (trace->empty()) {
        return TraceField::Bad;  // a step's field before any step
    }
    TraceStep& step = trace->back();
    if (key == "command") {
        step.command = value;
    } else if (key == "step-failure") {
        step.failure = value;
    } else if (key == "unit-ms") {
        return ParseNumber(value, &step.unitMs) ? TraceField::Read : TraceField::Bad;
    } else if (key == "wall-ms") {
        return ParseDouble(value, &step.wallMs) ? TraceField::Read : TraceField::Bad;
    } else if (key == "screen") {
        return picture(&step.screen);
    } else if (key == "debug") {
        step.debugLines.emplace_back(value);
    } else if (key == "box") {
        step.messageBoxes.emplace_back(value);
    } else if (key == "reference") {
        return picture(&step.reference);
    } else if (key == "actual") {
        return picture(&step.actual);
    } else if (key == "area") {
        return ParseRect(value, &step.area) ? TraceField::Read : TraceField::Bad;
    } else if (key == "mask") {
        return ParseRect(value, &step.masks.emplace_back()) ? TraceField::Read : TraceField::Bad;
    } else if (key == "windows") {
        step.windows = value;
    } else if (key == "traffic") {
        step.traffic.emplace_back(value);
    } else if (key == "traffic-left-out") {
        return ParseNumber(value, &step.trafficLeftOut) ? TraceField::Read : TraceField::Bad;
    } else {
        return picture(&step.difference);
    }
    return TraceField::Read;
}

void AppendAttempt(std::string* out, const Attempt& attempt, std::string_view pictures) {
    std::string fields;
    AppendField(&fields, "duration-ms", platform::Format("%.3f", attempt.time.count() * 1000));
    AppendField(&fields, "failure", attempt.failure);
    AppendField(&fields, "output", attempt.output);
    AppendField(&fields, "traced", attempt.traced ? "1" : "0");
    AppendField(&fields, "screens-left-out", std::to_string(attempt.screensLeftOut));
    AppendTrace(&fields, attempt.trace, pictures);
    AppendField(out, "attempt", fields);
}

bool ReadAttempt(std::string_view value, std::string_view pictures, Attempt* attempt) {
    FieldReader reader(value);
    std::string_view key;
    std::string_view field;
    bool ok = true;
    while (ok && reader.Next(&key, &field)) {
        double ms = 0;
        if (key == "duration-ms") {
            ok = ParseDouble(field, &ms) && ms >= 0;
            attempt->time = std::chrono::duration<double>(ms / 1000);
        } else if (key == "failure") {
            attempt->failure = field;
        } else if (key == "output") {
            attempt->output = field;
        } else if (key == "traced") {
            attempt->traced = field == "1";
        } else if (key == "screens-left-out") {
            ok = ParseNumber(field, &attempt->screensLeftOut);
        } else {
            ok = ReadTraceField(key, field, pictures, &attempt->trace) != TraceField::Bad;
        }
    }
    return ok && !reader.bad();
}

platform::Result<void> WriteResultFile(const std::filesystem::path& file,
                                       const ScriptResult& result, const ResultEnd& end) {
    std::string out(kHeader);
    AppendField(&out, "script", script::Utf8FromPath(end.script));
    AppendField(&out, "status", std::to_string(end.status));
    AppendField(&out, "notes", end.notes);
    AppendField(&out, "time", platform::Format("%.6f", result.time.count()));
    AppendField(&out, "failure", result.failure);
    AppendField(&out, "output", result.output);
    AppendField(&out, "traced", result.traced ? "1" : "0");
    AppendField(&out, "screens-left-out", std::to_string(result.screensLeftOut));
    AppendTrace(&out, result.trace, {});
    for (const Attempt& attempt : result.retried) {
        AppendAttempt(&out, attempt, {});
    }
    if (!WriteWholeFile(file, out)) {
        return platform::Fail(script::Utf8FromPath(file) + ": cannot write the script's result");
    }
    return {};
}

platform::Result<void> ReadResultFile(const std::filesystem::path& file, ScriptResult* result,
                                      ResultEnd* end) {
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return platform::Fail(script::Utf8FromPath(file) + ": cannot read the script's result");
    }
    return ParseResult(*text, script::Utf8FromPath(file), result, end);
}

platform::Result<void> ParseResult(std::string_view text, const std::string& named,
                                   ScriptResult* result, ResultEnd* end) {
    if (!text.starts_with(kHeader)) {
        return platform::Fail(named + ": not a script's result");
    }
    FieldReader reader(text.substr(kHeader.size()));
    std::string_view key;
    std::string_view value;
    bool ok = true;
    bool statusRead = false;
    while (ok && reader.Next(&key, &value)) {
        double seconds = 0;
        if (key == "script") {
            end->script = script::PathFromUtf8(value);
        } else if (key == "status") {
            ok = ParseNumber(value, &end->status);
            statusRead = ok;
        } else if (key == "notes") {
            end->notes = value;
        } else if (key == "time") {
            ok = ParseDouble(value, &seconds);
            result->time = std::chrono::duration<double>(seconds);
        } else if (key == "failure") {
            result->failure = value;
        } else if (key == "output") {
            result->output = value;
        } else if (key == "traced") {
            result->traced = value == "1";
        } else if (key == "screens-left-out") {
            ok = ParseNumber(value, &result->screensLeftOut);
        } else if (key == "attempt") {
            ok = ReadAttempt(value, {}, &result->retried.emplace_back());
        } else {
            ok = ReadTraceField(key, value, {}, &result->trace) != TraceField::Bad;
        }
    }
    if (!ok || reader.bad() || !statusRead) {
        return platform::Fail(named + ": a damaged script result");
    }
    result->passed = end->status == script::kExitPassed;
    return {};
}

platform::Result<void> WriteRunList(const std::filesystem::path& file, const RunList& list) {
    std::string out(kRunHeader);
    AppendField(&out, "common", script::Utf8FromPath(list.common));
    AppendField(&out, "screens", script::Utf8FromPath(list.screens));
    for (const std::filesystem::path& s : list.scripts) {
        AppendField(&out, "script", script::Utf8FromPath(s));
    }
    if (!WriteWholeFile(file, out)) {
        return platform::Fail(script::Utf8FromPath(file) + ": cannot write the list of scripts");
    }
    return {};
}

platform::Result<void> ReadRunList(const std::filesystem::path& file, RunList* list) {
    const std::optional<std::string> text = ReadWholeFile(file);
    const std::string named = script::Utf8FromPath(file);
    if (!text || !text->starts_with(kRunHeader)) {
        return platform::Fail(named + ": not the list of a suite's scripts");
    }
    FieldReader reader(std::string_view(*text).substr(kRunHeader.size()));
    std::string_view key;
    std::string_view value;
    while (reader.Next(&key, &value)) {
        if (key == "common") {
            list->common = script::PathFromUtf8(value);
        } else if (key == "screens") {
            list->screens = script::PathFromUtf8(value);
        } else if (key == "script") {
            list->scripts.push_back(script::PathFromUtf8(value));
        }
    }
    if (reader.bad()) {
        return platform::Fail(named + ": a damaged list of scripts");
    }
    return {};
}

}  // namespace program::detail
