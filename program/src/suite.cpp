#include "program/suite.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <variant>

#include "platform/text.h"
#include "script/utf8_path.h"
#include "tee_stream.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program {

namespace {

using detail::XmlAttribute;
using detail::XmlText;

// *.ks and *.script in any case: a PC's names are not told apart by it.
bool IsScriptName(const std::filesystem::path& p) {
    std::string extension = script::Utf8FromPath(p.extension());
    for (char& ch : extension) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return extension == ".ks" || extension == ".script";
}

// What a name is when it is neither a regular file nor a folder; empty when
// nothing is there.
std::string KindOf(const std::filesystem::path& name) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(name, ec);
    switch (status.type()) {
        case std::filesystem::file_type::fifo:
            return "a FIFO";
        case std::filesystem::file_type::socket:
            return "a socket";
        case std::filesystem::file_type::block:
            return "a block device";
        case std::filesystem::file_type::character:
            return "a character device";
        case std::filesystem::file_type::not_found:
            if (std::filesystem::is_symlink(std::filesystem::symlink_status(name, ec))) {
                return "a symbolic link to nothing";
            }
            return {};
        default:
            return status.type() == std::filesystem::file_type::none ? std::string()
                                                                     : "not a regular file";
    }
}

// The reason a name that is no script or folder is refused.
std::string NotAScript(const std::filesystem::path& name) {
    const std::string kind = KindOf(name);
    return ShownName(name) + (kind.empty() ? std::string(": no such script or folder")
                                           : ": not a script file but " + kind);
}

// A failed run of a script run again, as Maven Surefire writes one: its
// failure and what it wrote.
std::string Rerun(std::string_view element, const std::string& failure, const std::string& output) {
    std::string xml = "      <" + std::string(element) + " message=\"" + XmlAttribute(failure) +
                      "\" type=\"script\"><stackTrace>" + XmlText(failure) + "</stackTrace>";
    if (!output.empty()) {
        xml += "<system-out>" + XmlText(output) + "</system-out>";
    }
    return xml + "</" + std::string(element) + ">\n";
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

// The slice of a script by a hash of its path within the run, 0 to n - 1.
int HashedSlice(const std::filesystem::path& relative, int n) {
    // FNV-1a of the path as UTF-8 with '/' between its parts: the same slice
    // on every machine and in every checkout.
    constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char ch : GenericUtf8(relative)) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * kPrime;
    }
    return static_cast<int>(hash % static_cast<std::uint64_t>(n));
}

}  // namespace

bool InShard(const std::filesystem::path& relative, const Shard& shard) {
    return HashedSlice(relative, shard.n) == shard.k - 1;
}

std::vector<int> SlicesByTime(const std::vector<std::filesystem::path>& relative,
                              const std::vector<std::optional<double>>& seconds, int n) {
    std::vector<int> slices(relative.size(), 0);
    std::vector<std::size_t> timed;
    std::vector<std::string> names(relative.size());
    for (std::size_t i = 0; i < relative.size(); ++i) {
        names[i] = GenericUtf8(relative[i]);
        if (i < seconds.size() && seconds[i]) {
            timed.push_back(i);
        } else {
            slices[i] = HashedSlice(relative[i], n);
        }
    }
    std::ranges::sort(timed, [&](std::size_t a, std::size_t b) {
        return *seconds[a] != *seconds[b] ? *seconds[a] > *seconds[b] : names[a] < names[b];
    });
    // A slice's time so far and its scripts: of equal times the one with
    // fewer scripts takes the next, so that scripts of no time spread too.
    std::vector<std::pair<double, std::size_t>> load(static_cast<std::size_t>(n), {0.0, 0});
    for (const std::size_t i : timed) {
        const auto least = std::ranges::min_element(load);
        slices[i] = static_cast<int>(least - load.begin());
        least->first += *seconds[i];
        ++least->second;
    }
    return slices;
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
            errors->push_back(NotAScript(name));
            continue;
        }
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(name, ec)) {
            std::error_code kind;
            if (!IsScriptName(entry.path())) {
                continue;
            }
            if (entry.is_regular_file(kind)) {
                found.push_back(entry.path());
            } else if (!entry.is_directory(kind)) {
                // A script the folder names that cannot be read as one.
                errors->push_back(NotAScript(entry.path()));
            }
        }
        if (ec) {
            errors->push_back(ShownName(name) + ": " + ec.message());
            continue;
        }
        if (found.empty()) {
            errors->push_back(ShownName(name) + ": the folder holds no *.ks or *.script file");
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
    std::string own = common.has_filename() ? GenericUtf8(common.filename()) : GenericUtf8(common);
    if (folder.empty() || folder == ".") {
        return own;
    }
    // A subfolder named as the common folder itself ("s2/s2" within "s2")
    // would give the scripts directly in it: it is named with its parent.
    const std::string relative = GenericUtf8(folder);
    return relative == own ? own + "/" + relative : relative;
}

bool LoadScripts(const std::vector<std::filesystem::path>& names, std::ostream& err,
                 std::vector<SuiteScript>* scripts) {
    std::vector<std::filesystem::path> files;
    std::vector<std::string> errors;
    bool ok = CollectScripts(names, &files, &errors);
    for (const std::string& error : errors) {
        err << "kestrin: " << error << '\n';
    }
    for (const std::filesystem::path& file : files) {
        script::ParseResult parsed = script::LoadScriptFile(file);
        if (!parsed) {
            err << script::Describe(ShownName(file), parsed.error()) << '\n';
            ok = false;
        } else {
            scripts->push_back({file, std::move(*parsed)});
            scripts->back().script.name = ShownName(file);
        }
    }
    return ok;
}

std::string Verdict(const std::vector<ScriptResult>& results) {
    const auto flaky = std::ranges::count_if(results, &ScriptResult::Flaky);
    const auto passed =
        std::ranges::count_if(results, [](const auto& r) { return r.passed; }) - flaky;
    const auto errors = std::ranges::count_if(results, [](const auto& r) { return r.error; });
    std::string verdict =
        std::to_string(passed) + " passed, " +
        std::to_string(static_cast<std::ptrdiff_t>(results.size()) - passed - flaky - errors) +
        " failed";
    if (flaky > 0) {
        verdict += ", " + std::to_string(flaky) + " flaky";
    }
    if (errors > 0) {
        verdict += ", " + std::to_string(errors) + (errors == 1 ? " error" : " errors");
    }
    return verdict;
}

int SuiteStatus(const std::vector<ScriptResult>& results, bool failOnFlaky) {
    const bool failed = std::ranges::any_of(
        results, [&](const ScriptResult& r) { return !r.passed || (failOnFlaky && r.Flaky()); });
    return failed ? script::kExitFailed : script::kExitPassed;
}

platform::Result<void> WriteJUnit(const std::filesystem::path& file,
                                  const std::vector<ScriptResult>& results) {
    std::chrono::duration<double> total{};
    std::size_t failures = 0;
    std::size_t errors = 0;
    for (const ScriptResult& r : results) {
        total += r.time;
        errors += r.error ? 1 : 0;
        failures += r.passed || r.error ? 0 : 1;
    }
    const std::string counts = "tests=\"" + std::to_string(results.size()) + "\" failures=\"" +
                               std::to_string(failures) + "\" errors=\"" + std::to_string(errors) +
                               "\"";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"kestrin\" " + counts + " time=\"" + Seconds(total) + "\">\n";
    xml += "  <testsuite name=\"kestrin scripts\" " + counts + " skipped=\"0\" time=\"" +
           Seconds(total) + "\" timestamp=\"" + Timestamp() + "\">\n";
    for (const ScriptResult& r : results) {
        xml += "    <testcase name=\"" + XmlAttribute(ShownName(r.file.filename())) +
               "\" classname=\"" + XmlAttribute(detail::Shown(r.className)) + "\" file=\"" +
               XmlAttribute(detail::Shown(GenericUtf8(r.file))) + "\" time=\"" + Seconds(r.time) +
               "\">\n";
        if (r.Flaky()) {
            for (const Attempt& a : r.retried) {
                xml += Rerun("flakyFailure", a.failure, a.output);
            }
        } else if (!r.passed && !r.retried.empty()) {
            // The first run's failure, then each run after it.
            xml += "      <failure message=\"" + XmlAttribute(r.retried.front().failure) +
                   "\" type=\"script\">" + XmlText(r.retried.front().failure) + "</failure>\n";
            for (std::size_t i = 1; i < r.retried.size(); ++i) {
                xml += Rerun("rerunFailure", r.retried[i].failure, r.retried[i].output);
            }
            xml += Rerun("rerunFailure", r.failure, {});
        } else if (!r.passed) {
            // A script that came to no verdict is an error: its worker died.
            const char* element = r.error ? "error" : "failure";
            xml += std::string("      <") + element + " message=\"" + XmlAttribute(r.failure) +
                   "\" type=\"" + (r.error ? "worker" : "script") + "\">" + XmlText(r.failure) +
                   "</" + element + ">\n";
        }
        if (!r.output.empty()) {
            xml += "      <system-out>" + XmlText(r.output) + "</system-out>\n";
        }
        xml += "    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";

    if (const platform::Result<void> written = detail::ReplaceWholeFile(file, xml); !written) {
        return platform::Fail(ShownName(file) + ": cannot write the report: " + written.error());
    }
    return {};
}

}  // namespace program
