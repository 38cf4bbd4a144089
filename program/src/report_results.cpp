#include "report_results.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>

#include "platform/text.h"
#include "result_file.h"
#include "script/utf8_path.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program::detail {

namespace {

constexpr std::string_view kHeader = "kestrin-report-results 1\n";
// Pictures are named relative to the report's folder.
constexpr std::string_view kPictures = "screens/";

std::string GenericUtf8(const std::filesystem::path& p) {
    const std::u8string text = p.generic_u8string();
    return {text.begin(), text.end()};
}

const char* OutcomeOf(const ScriptResult& r) {
    return r.passed ? "passed" : r.error ? "error" : "failed";
}

// An attribute's value with its entities read (those a JUnit writer uses:
// the five named ones and numeric ones of ASCII); nullopt when malformed.
std::optional<std::string> Unescaped(std::string_view raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            value += raw[i];
            continue;
        }
        const std::size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view entity = raw.substr(i + 1, semi - i - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        const auto* const named =
            std::ranges::find(kNamed, entity, &std::pair<std::string_view, char>::first);
        if (named != std::end(kNamed)) {
            value += named->second;
        } else if (entity.starts_with('#')) {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            unsigned code = 0;
            const auto [ptr, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (ec != std::errc() || ptr != digits.data() + digits.size() || code > 0x7f) {
                return std::nullopt;
            }
            value += static_cast<char>(code);
        } else {
            return std::nullopt;
        }
        i = semi;
    }
    return value;
}

// The attributes of an XML start tag (what follows its element's name, up
// to its '>'), read one by one; false when one is malformed.
bool ReadAttributes(std::string_view tag, std::map<std::string, std::string, std::less<>>* out) {
    std::size_t at = 0;
    while (true) {
        while (at < tag.size() && (tag[at] == ' ' || tag[at] == '\t' || tag[at] == '\n' ||
                                   tag[at] == '\r' || tag[at] == '/')) {
            ++at;
        }
        if (at == tag.size()) {
            return true;
        }
        const std::size_t equals = tag.find('=', at);
        if (equals == std::string_view::npos || equals + 1 >= tag.size() ||
            (tag[equals + 1] != '"' && tag[equals + 1] != '\'')) {
            return false;
        }
        const std::size_t close = tag.find(tag[equals + 1], equals + 2);
        if (close == std::string_view::npos) {
            return false;
        }
        const std::optional<std::string> value =
            Unescaped(tag.substr(equals + 2, close - equals - 2));
        if (!value) {
            return false;
        }
        (*out)[std::string(tag.substr(at, equals - at))] = *value;
        at = close + 1;
    }
}

platform::Result<std::map<std::string, double>> JUnitDurations(std::string_view text,
                                                               const std::string& named) {
    std::map<std::string, double> durations;
    for (std::size_t at = text.find("<testcase "); at != std::string_view::npos;
         at = text.find("<testcase ", at + 1)) {
        const std::size_t end = text.find('>', at);
        if (end == std::string_view::npos) {
            return platform::Fail(named + ": a testcase cut short");
        }
        const std::string_view tag = text.substr(at, end - at);
        std::map<std::string, std::string, std::less<>> attributes;
        const bool read =
            ReadAttributes(tag.substr(std::string_view("<testcase").size()), &attributes);
        const auto file = attributes.find("file");
        const auto time = attributes.find("time");
        double seconds = 0;
        if (!read || file == attributes.end() || time == attributes.end() ||
            !ParseDouble(time->second, &seconds) || seconds < 0) {
            return platform::Fail(
                named + ": a testcase without a file and a time in seconds: " + Shown(tag));
        }
        durations[file->second] = seconds;
    }
    return durations;
}

}  // namespace

std::string ScriptKey(const std::filesystem::path& file) {
    return Shown(GenericUtf8(file));
}

std::string ReportResultsText(const std::vector<ScriptResult>& results) {
    std::string out(kHeader);
    for (const ScriptResult& r : results) {
        AppendField(&out, "script", GenericUtf8(r.file));
        AppendField(&out, "place", std::to_string(r.place));
        AppendField(&out, "class", r.className);
        AppendField(&out, "outcome", OutcomeOf(r));
        AppendField(&out, "duration-ms", platform::Format("%.3f", r.time.count() * 1000));
        AppendField(&out, "message", r.failure);
        AppendField(&out, "output", r.output);
        AppendField(&out, "traced", r.traced ? "1" : "0");
        AppendField(&out, "screens-left-out", std::to_string(r.screensLeftOut));
        AppendTrace(&out, r.trace, kPictures);
        for (const Attempt& attempt : r.retried) {
            AppendAttempt(&out, attempt, kPictures);
        }
    }
    return out;
}

platform::Result<void> ParseReportResults(std::string_view text, const std::string& named,
                                          std::vector<ScriptResult>* results) {
    if (!text.starts_with(kHeader)) {
        return platform::Fail(named + ": not the results of a kestrin report");
    }
    FieldReader reader(text.substr(kHeader.size()));
    std::string_view key;
    std::string_view value;
    std::string bad;
    ScriptResult* r = nullptr;
    bool outcome = false;
    while (bad.empty() && reader.Next(&key, &value)) {
        if (key == "script") {
            if (r != nullptr && !outcome) {
                bad = "a script without its outcome";
                break;
            }
            r = &results->emplace_back();
            r->file = script::PathFromUtf8(value);
            outcome = false;
            continue;
        }
        if (r == nullptr) {
            bad = "a field before the first script";
            break;
        }
        double number = 0;
        if (key == "place") {
            const auto [ptr, ec] =
                std::from_chars(value.data(), value.data() + value.size(), r->place);
            if (ec != std::errc() || ptr != value.data() + value.size()) {
                bad = "a place that is not a number";
            }
        } else if (key == "class") {
            r->className = value;
        } else if (key == "outcome") {
            outcome = value == "passed" || value == "failed" || value == "error";
            r->passed = value == "passed";
            r->error = value == "error";
            if (!outcome) {
                bad = "an outcome neither passed, failed nor error";
            }
        } else if (key == "duration-ms") {
            if (!ParseDouble(value, &number) || number < 0) {
                bad = "a duration that is not a number of milliseconds";
            }
            r->time = std::chrono::duration<double>(number / 1000);
        } else if (key == "message") {
            r->failure = value;
        } else if (key == "output") {
            r->output = value;
        } else if (key == "traced") {
            r->traced = value == "1";
        } else if (key == "screens-left-out") {
            const auto [ptr, ec] =
                std::from_chars(value.data(), value.data() + value.size(), r->screensLeftOut);
            if (ec != std::errc() || ptr != value.data() + value.size()) {
                bad = "a count of screens that is not a number";
            }
        } else if (key == "attempt") {
            if (!ReadAttempt(value, kPictures, &r->retried.emplace_back())) {
                bad = "a malformed earlier run of " + ScriptKey(r->file);
            }
        } else if (ReadTraceField(key, value, kPictures, &r->trace) == TraceField::Bad) {
            bad = "a malformed step of " + ScriptKey(r->file) + "'s trace";
        }
    }
    if (bad.empty() && reader.bad()) {
        bad = "a field cut short";
    }
    if (bad.empty() && r != nullptr && !outcome) {
        bad = "a script without its outcome";
    }
    if (!bad.empty()) {
        return platform::Fail(named + ": damaged: " + bad);
    }
    return {};
}

platform::Result<void> ReadReportResults(const std::filesystem::path& folder,
                                         std::vector<ScriptResult>* results) {
    const std::filesystem::path file = folder / std::string(kReportResults);
    const std::string named = Shown(script::Utf8FromPath(file));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return platform::Fail(named +
                              ": missing (the folder is not a report a run of kestrin wrote)");
    }
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return platform::Fail(named + ": cannot be read");
    }
    return ParseReportResults(*text, named, results);
}

platform::Result<std::map<std::string, double>> ReadDurations(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        std::vector<ScriptResult> results;
        if (platform::Result<void> read = ReadReportResults(file, &results); !read) {
            return platform::Fail(read.error());
        }
        std::map<std::string, double> durations;
        for (const ScriptResult& r : results) {
            durations[ScriptKey(r.file)] = r.time.count();
        }
        return durations;
    }
    const std::string named = Shown(script::Utf8FromPath(file));
    const platform::Result<std::string> text = ReadNamedFile(file, named);
    if (!text) {
        return platform::Fail(text.error());
    }
    if (text->starts_with(kHeader)) {
        std::vector<ScriptResult> results;
        if (platform::Result<void> read = ParseReportResults(*text, named, &results); !read) {
            return platform::Fail(read.error());
        }
        std::map<std::string, double> durations;
        for (const ScriptResult& r : results) {
            durations[ScriptKey(r.file)] = r.time.count();
        }
        return durations;
    }
    if (text->find("<testsuite") != std::string::npos) {
        return JUnitDurations(*text, named);
    }
    return platform::Fail(named + ": neither a JUnit report nor a kestrin report's results");
}

}  // namespace program::detail
