#include "program/suite.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <variant>

#include "platform/text.h"
#include "script/utf8_path.h"
#include "tee_stream.h"

namespace program {

namespace {

bool IsScriptName(const std::filesystem::path& p) {
    return p.extension() == ".ks" || p.extension() == ".script";
}

// Text for an XML attribute or element: the five markup characters escaped,
// control characters XML 1.0 cannot carry dropped (tab, line feed and
// carriage return stay).
std::string Xml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\t':
            case '\n':
                out += ch;
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if (u >= 0x20) {
                    out += ch;
                }
        }
    }
    return out;
}

std::string Seconds(std::chrono::duration<double> t) {
    return platform::Format("%.3f", t.count());
}

// Now, in UTC, as ISO 8601 without a zone (what JUnit readers expect).
std::string Timestamp() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    return platform::Format("%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
                            static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                            static_cast<int>(time.hours().count()),
                            static_cast<int>(time.minutes().count()),
                            static_cast<int>(time.seconds().count()));
}

}  // namespace

bool CollectScripts(const std::vector<std::filesystem::path>& names,
                    std::vector<std::filesystem::path>* scripts, std::string* error) {
    for (const std::filesystem::path& name : names) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(name, ec)) {
            scripts->push_back(name);
            continue;
        }
        if (!std::filesystem::is_directory(name, ec)) {
            *error = script::Utf8FromPath(name) + ": no such script or folder";
            return false;
        }
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(name, ec)) {
            if (entry.is_regular_file(ec) && IsScriptName(entry.path())) {
                found.push_back(entry.path());
            }
        }
        if (ec) {
            *error = script::Utf8FromPath(name) + ": " + ec.message();
            return false;
        }
        if (found.empty()) {
            *error = script::Utf8FromPath(name) + ": the folder holds no *.ks or *.script file";
            return false;
        }
        std::ranges::sort(found);
        scripts->insert(scripts->end(), found.begin(), found.end());
    }
    return true;
}

bool LoadScripts(const std::vector<std::filesystem::path>& names, std::ostream& err,
                 std::vector<script::Script>* scripts) {
    std::vector<std::filesystem::path> files;
    std::string error;
    if (!CollectScripts(names, &files, &error)) {
        err << "kestrin: " << error << '\n';
        return false;
    }
    bool ok = true;
    for (const std::filesystem::path& file : files) {
        script::ParseResult parsed = script::LoadScriptFile(file);
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe(script::Utf8FromPath(file), *failure) << '\n';
            ok = false;
        } else {
            scripts->push_back(std::get<script::Script>(std::move(parsed)));
        }
    }
    return ok;
}

int RunSuite(std::vector<script::Script> scripts, const SuiteOptions& options,
             const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
             std::ostream& out, std::ostream& err) {
    using script::kExitFailed;
    using script::kExitMalformed;
    using script::kExitPassed;
    std::vector<ScriptResult> results;
    int status = kExitPassed;
    for (script::Script& s : scripts) {
        const auto started = std::chrono::steady_clock::now();
        ScriptResult result;
        result.file = script::PathFromUtf8(s.name);
        script::RunnerOptions runnerOptions;
        runnerOptions.finalScreenshot = screenshot.value_or(std::filesystem::path());
        runnerOptions.updateScreens = options.updateScreens;
        if (options.artifacts) {
            runnerOptions.artifactsFolder = *options.artifacts / ArtifactName(result.file);
        }
        std::ostringstream captured;
        detail::TeeStream log(err, captured);
        const RunOutcome outcome = runOne(std::move(s), runnerOptions, log);
        if (outcome.status == kExitMalformed) {
            return kExitMalformed;
        }
        result.passed = outcome.status == kExitPassed;
        result.failure = outcome.failure;
        result.time = std::chrono::steady_clock::now() - started;
        result.output = captured.str();
        if (!result.passed) {
            status = kExitFailed;
            if (!runnerOptions.artifactsFolder.empty()) {
                std::error_code ec;
                std::filesystem::create_directories(runnerOptions.artifactsFolder, ec);
                std::ofstream(runnerOptions.artifactsFolder / "output.txt", std::ios::binary)
                    << result.output;
            }
        }
        results.push_back(std::move(result));
    }
    out << Verdict(results) << '\n';
    if (options.junit) {
        std::string error;
        if (!WriteJUnit(*options.junit, results, &error)) {
            err << "kestrin: " << error << '\n';
            status = script::kExitFailed;
        }
    }
    out.flush();
    return status;
}

std::string Verdict(const std::vector<ScriptResult>& results) {
    const auto passed = std::ranges::count_if(results, [](const auto& r) { return r.passed; });
    return std::to_string(passed) + " passed, " +
           std::to_string(static_cast<std::ptrdiff_t>(results.size()) - passed) + " failed";
}

bool WriteJUnit(const std::filesystem::path& file, const std::vector<ScriptResult>& results,
                std::string* error) {
    std::chrono::duration<double> total{};
    std::size_t failures = 0;
    for (const ScriptResult& r : results) {
        total += r.time;
        failures += r.passed ? 0 : 1;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"kestrin\" tests=\"" + std::to_string(results.size()) +
           "\" failures=\"" + std::to_string(failures) + "\" errors=\"0\" time=\"" +
           Seconds(total) + "\">\n";
    xml += "  <testsuite name=\"kestrin scripts\" tests=\"" + std::to_string(results.size()) +
           "\" failures=\"" + std::to_string(failures) + "\" errors=\"0\" skipped=\"0\" time=\"" +
           Seconds(total) + "\" timestamp=\"" + Timestamp() + "\">\n";
    for (const ScriptResult& r : results) {
        const std::string folder = script::Utf8FromPath(r.file.parent_path());
        xml += "    <testcase name=\"" + Xml(script::Utf8FromPath(r.file.filename())) +
               "\" classname=\"" + Xml(folder.empty() ? "." : folder) + "\" time=\"" +
               Seconds(r.time) + "\">\n";
        if (!r.passed) {
            xml += "      <failure message=\"" + Xml(r.failure) + "\" type=\"script\">" +
                   Xml(r.failure) + "</failure>\n";
        }
        if (!r.output.empty()) {
            xml += "      <system-out>" + Xml(r.output) + "</system-out>\n";
        }
        xml += "    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << xml;
    out.close();
    if (!out) {
        *error = script::Utf8FromPath(file) + ": cannot write the report";
        return false;
    }
    return true;
}

std::string ArtifactName(const std::filesystem::path& script) {
    // Relative to the working folder when it lies inside it, else its own
    // folder's name and its file name.
    std::error_code ec;
    std::filesystem::path shown = script.lexically_normal();
    if (shown.is_absolute()) {
        const std::filesystem::path inside =
            shown.lexically_relative(std::filesystem::current_path(ec));
        shown = !ec && !inside.empty() && *inside.begin() != ".."
                    ? inside
                    : shown.parent_path().filename() / shown.filename();
    }
    while (!shown.empty() && *shown.begin() == "..") {
        shown = shown.lexically_relative("..");
    }
    std::string name = script::Utf8FromPath(shown);
    std::replace(name.begin(), name.end(), '\\', '/');
    for (char& ch : name) {
        const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                           (ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '_';
        if (!plain) {
            ch = '_';
        }
    }
    return name.empty() || name == "." ? std::string("script") : name;
}

}  // namespace program
