#include "result_file.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/text.h"
#include "script/script_runner.h"
#include "script/utf8_path.h"
#include "whole_file.h"

namespace program::detail {

namespace {

constexpr std::string_view kHeader = "kestrin-script-result 1\n";

// "<key> <length>\n<bytes>\n"
void Field(std::string* out, std::string_view key, std::string_view value) {
    *out += key;
    *out += ' ';
    *out += std::to_string(value.size());
    *out += '\n';
    *out += value;
    *out += '\n';
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    // The next field; false at the end or on a malformed one (bad() tells).
    bool Next(std::string_view* key, std::string_view* value) {
        if (at_ == text_.size()) {
            return false;
        }
        const std::size_t space = text_.find(' ', at_);
        const std::size_t newline = text_.find('\n', at_);
        std::size_t length = 0;
        if (space == std::string_view::npos || newline == std::string_view::npos ||
            space > newline) {
            bad_ = true;
            return false;
        }
        const auto [ptr, ec] =
            std::from_chars(text_.data() + space + 1, text_.data() + newline, length);
        if (ec != std::errc() || ptr != text_.data() + newline ||
            length > text_.size() - newline - 1 || text_.size() - newline - 1 - length < 1 ||
            text_[newline + 1 + length] != '\n') {
            bad_ = true;
            return false;
        }
        *key = text_.substr(at_, space - at_);
        *value = text_.substr(newline + 1, length);
        at_ = newline + 1 + length + 1;
        return true;
    }
    [[nodiscard]] bool bad() const { return bad_; }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool bad_ = false;
};

template <class Number>
bool ParseNumber(std::string_view text, Number* out) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseDouble(std::string_view text, double* out) {
    // from_chars for double is missing from some standard libraries.
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    *out = value;
    return !in.fail() && in.eof();
}

}  // namespace

bool WriteResultFile(const std::filesystem::path& file, const ScriptResult& result,
                     const ResultEnd& end, std::string* error) {
    std::string out(kHeader);
    Field(&out, "status", std::to_string(end.status));
    Field(&out, "notes", end.notes);
    Field(&out, "time", platform::Format("%.6f", result.time.count()));
    Field(&out, "failure", result.failure);
    Field(&out, "output", result.output);
    Field(&out, "traced", result.traced ? "1" : "0");
    Field(&out, "screens-left-out", std::to_string(result.screensLeftOut));
    for (const TraceStep& step : result.trace) {
        Field(&out, "step", std::to_string(step.line));
        Field(&out, "command", step.command);
        Field(&out, "step-failure", step.failure);
        Field(&out, "unit-ms", std::to_string(step.unitMs));
        Field(&out, "wall-ms", platform::Format("%.6f", step.wallMs));
        Field(&out, "screen", step.screen);
        for (const std::string& line : step.debugLines) {
            Field(&out, "debug", line);
        }
        for (const std::string& box : step.messageBoxes) {
            Field(&out, "box", box);
        }
        Field(&out, "reference", step.reference);
        Field(&out, "actual", step.actual);
        Field(&out, "difference", step.difference);
    }
    if (!WriteWholeFile(file, out)) {
        *error = script::Utf8FromPath(file) + ": cannot write the script's result";
        return false;
    }
    return true;
}

bool ReadResultFile(const std::filesystem::path& file, ScriptResult* result, ResultEnd* end,
                    std::string* error) {
    std::ifstream stream(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    const std::string named = script::Utf8FromPath(file);
    if (!stream.good() && !stream.eof()) {
        *error = named + ": cannot read the script's result";
        return false;
    }
    if (!text.starts_with(kHeader)) {
        *error = named + ": not a script's result";
        return false;
    }
    Reader reader(std::string_view(text).substr(kHeader.size()));
    std::string_view key;
    std::string_view value;
    bool ok = true;
    bool statusRead = false;
    TraceStep* step = nullptr;
    while (ok && reader.Next(&key, &value)) {
        double seconds = 0;
        if (key == "status") {
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
        } else if (key == "step") {
            step = &result->trace.emplace_back();
            ok = ParseNumber(value, &step->line);
        } else if (step == nullptr) {
            ok = false;  // a step's field before any step
        } else if (key == "command") {
            step->command = value;
        } else if (key == "step-failure") {
            step->failure = value;
        } else if (key == "unit-ms") {
            ok = ParseNumber(value, &step->unitMs);
        } else if (key == "wall-ms") {
            ok = ParseDouble(value, &step->wallMs);
        } else if (key == "screen") {
            step->screen = value;
        } else if (key == "debug") {
            step->debugLines.emplace_back(value);
        } else if (key == "box") {
            step->messageBoxes.emplace_back(value);
        } else if (key == "reference") {
            step->reference = value;
        } else if (key == "actual") {
            step->actual = value;
        } else if (key == "difference") {
            step->difference = value;
        }
    }
    if (!ok || reader.bad() || !statusRead) {
        *error = named + ": a damaged script result";
        return false;
    }
    result->passed = end->status == script::kExitPassed;
    return true;
}

}  // namespace program::detail
