#include "program/suite.h"

#include <algorithm>
#include <sstream>
#include <variant>

#include "platform/text.h"
#include "script/utf8_path.h"
#include "tee_stream.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program {

namespace {

using detail::XmlText;

bool IsScriptName(const std::filesystem::path& p) {
    return p.extension() == ".ks" || p.extension() == ".script";
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

// A path made absolute and plain ("a/./b/../c" -> "/cwd/a/c").
std::filesystem::path Absolute(const std::filesystem::path& p) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(p, ec);
    return (ec ? p : absolute).lexically_normal();
}

// A path as UTF-8 with '/' between its parts, on Windows too.
std::string GenericUtf8(const std::filesystem::path& p) {
    const std::u8string text = p.generic_u8string();
    return {text.begin(), text.end()};
}

}  // namespace

bool InShard(const std::filesystem::path& relative, const Shard& shard) {
    // FNV-1a of the path as UTF-8 with '/' between its parts: the same slice
    // on every machine and in every checkout.
    constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char ch : GenericUtf8(relative)) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * kPrime;
    }
    return static_cast<int>(hash % static_cast<std::uint64_t>(shard.n)) == shard.k - 1;
}

bool CollectScripts(const std::vector<std::filesystem::path>& names,
                    std::vector<std::filesystem::path>* scripts, std::vector<std::string>* errors) {
    const std::size_t errorsBefore = errors->size();
    std::vector<std::filesystem::path> seen;
    auto add = [&](const std::filesystem::path& file) {
        std::error_code ec;
        std::filesystem::path same = std::filesystem::weakly_canonical(file, ec);
        if (ec) {
            same = Absolute(file);
        }
        if (std::ranges::find(seen, same) == seen.end()) {
            seen.push_back(std::move(same));
            scripts->push_back(file);
        }
    };
    for (const std::filesystem::path& name : names) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(name, ec)) {
            add(name);
            continue;
        }
        if (!std::filesystem::is_directory(name, ec)) {
            errors->push_back(script::Utf8FromPath(name) + ": no such script or folder");
            continue;
        }
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(name, ec)) {
            if (entry.is_regular_file(ec) && IsScriptName(entry.path())) {
                found.push_back(entry.path());
            }
        }
        if (ec) {
            errors->push_back(script::Utf8FromPath(name) + ": " + ec.message());
            continue;
        }
        if (found.empty()) {
            errors->push_back(script::Utf8FromPath(name) +
                              ": the folder holds no *.ks or *.script file");
            continue;
        }
        std::ranges::sort(found);
        for (const std::filesystem::path& file : found) {
            add(file);
        }
    }
    return errors->size() == errorsBefore;
}

std::filesystem::path CommonFolder(const std::vector<std::filesystem::path>& scripts) {
    std::filesystem::path common;
    bool first = true;
    for (const std::filesystem::path& file : scripts) {
        const std::filesystem::path folder = Absolute(file).parent_path();
        if (first) {
            common = folder;
            first = false;
            continue;
        }
        std::filesystem::path shared;
        auto a = common.begin();
        auto b = folder.begin();
        for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b) {
            shared /= *a;
        }
        common = shared;
    }
    return common;
}

std::filesystem::path PathInRun(const std::filesystem::path& script,
                                const std::filesystem::path& common) {
    const std::filesystem::path inside = Absolute(script).lexically_relative(common);
    return inside.empty() ? script.filename() : inside;
}

std::string ClassName(const std::filesystem::path& script, const std::filesystem::path& common) {
    const std::filesystem::path folder = Absolute(script).parent_path().lexically_relative(common);
    if (!folder.empty() && folder != ".") {
        return GenericUtf8(folder);
    }
    return common.has_filename() ? GenericUtf8(common.filename()) : GenericUtf8(common);
}

bool LoadScripts(const std::vector<std::filesystem::path>& names, std::ostream& err,
                 std::vector<script::Script>* scripts) {
    std::vector<std::filesystem::path> files;
    std::vector<std::string> errors;
    bool ok = CollectScripts(names, &files, &errors);
    for (const std::string& error : errors) {
        err << "kestrin: " << error << '\n';
    }
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
        xml += "    <testcase name=\"" + XmlText(script::Utf8FromPath(r.file.filename())) +
               "\" classname=\"" + XmlText(r.className) + "\" file=\"" +
               XmlText(GenericUtf8(r.file)) + "\" time=\"" + Seconds(r.time) + "\">\n";
        if (!r.passed) {
            xml += "      <failure message=\"" + XmlText(r.failure) + "\" type=\"script\">" +
                   XmlText(r.failure) + "</failure>\n";
        }
        if (!r.output.empty()) {
            xml += "      <system-out>" + XmlText(r.output) + "</system-out>\n";
        }
        xml += "    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";

    if (!detail::WriteWholeFile(file, xml)) {
        *error = script::Utf8FromPath(file) + ": cannot write the report";
        return false;
    }
    return true;
}

}  // namespace program
