#include "program/options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>
#include <utility>

#include "script/utf8_path.h"
#include "traffic_monitor.h"

namespace program {

namespace {

using Takes = OptionSpec::Takes;

constexpr int kMinScale = 1;
constexpr int kMaxScale = 8;
constexpr int kMostJobs = 64;
constexpr int kMostRetries = 10;
constexpr int kMostRepeats = 100;
// The synopsis's lines hold up to this many characters.
constexpr std::size_t kSynopsisWidth = 81;
// Where an option's help starts on its line.
constexpr std::size_t kHelpColumn = 21;

// A whole number from least to most, the whole text.
std::optional<int> ParseNumber(std::string_view text, int least, int most) {
    int number = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || ptr != text.data() + text.size() || number < least || number > most) {
        return std::nullopt;
    }
    return number;
}

// "K/N", 1 <= K <= N.
std::optional<Shard> ParseShard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> n = ParseNumber(text.substr(slash + 1), 1, 1000000);
    const std::optional<int> k = n ? ParseNumber(text.substr(0, slash), 1, *n) : std::nullopt;
    if (!k) {
        return std::nullopt;
    }
    return Shard{*k, *n};
}

// The options both programs read, bound to *o, in their usual order.
std::vector<OptionSpec> SharedSpecs(Options* o) {
    std::vector<OptionSpec> specs;
    specs.push_back(FlagOption("--headless", "no window: run the script, or the tour of the pages",
                               &o->headless));
    OptionSpec script;
    script.name = "--script";
    script.takes = Takes::Words;
    script.value = "FILE|DIR";
    script.take = [o](std::string_view word) {
        o->scripts.push_back(script::PathFromUtf8(word));
        return platform::Result<void>();
    };
    specs.push_back(std::move(script));
    specs.push_back(FlagOption("--real-time", {}, &o->realTime));
    specs.push_back(
        PathOption("--junit", "FILE", "write a JUnit XML report of the scripts", &o->suite.junit));
    specs.push_back(PathOption("--artifacts", "DIR",
                               "keep the screen, debug lines and output of failed scripts",
                               &o->suite.artifacts));
    specs.push_back(FlagOption("--update-screens",
                               "a failed `expect screen` writes its reference from the\n"
                               "screen instead (the backend's own if there is one)",
                               &o->suite.updateScreens));
    specs.push_back(PathOption("--report", "DIR",
                               "write an HTML report of the scripts into DIR, with the\n"
                               "trace and traffic of each failed one (index.html)",
                               &o->suite.report));
    specs.push_back(FlagOption("--trace", "keep the trace of passing scripts in the report too",
                               &o->suite.trace));
    specs.push_back(ValueOption(
        "--jobs", "N",
        "run N scripts at a time, each in a process of its own\n(1 to 64, default 1)",
        [o](std::string_view n) -> platform::Result<void> {
            const std::optional<int> parsed = ParseNumber(n, 1, kMostJobs);
            if (!parsed) {
                return platform::Fail("--jobs takes a whole number from 1 to 64, not \"" +
                                      std::string(n) + "\"");
            }
            o->suite.jobs = *parsed;
            return {};
        }));
    specs.push_back(
        ValueOption("--shard", "K/N", "run only the K-th of N slices of the scripts (K from 1)",
                    [o](std::string_view text) -> platform::Result<void> {
                        o->suite.shard = ParseShard(text);
                        if (!o->suite.shard) {
                            return platform::Fail("--shard takes K/N with 1 <= K <= N, not \"" +
                                                  std::string(text) + "\"");
                        }
                        return {};
                    }));
    specs.push_back(PathOption("--durations", "FILE",
                               "split --shard by the scripts' times in FILE (a JUnit file\n"
                               "or a report's results.kestrin of an earlier run)",
                               &o->suite.durations));
    specs.push_back(PathOption("--last-failed", "FILE|DIR",
                               "run only the scripts that failed in the run of a report's\n"
                               "results (FILE, or DIR/results.kestrin of --report DIR)",
                               &o->suite.lastFailed));
    specs.push_back(ValueOption(
        "--retries", "N",
        "run a failed script again, up to N times (0 to 10), each\n"
        "on a fresh copy of its unit; one that then passes is flaky",
        [o](std::string_view n) -> platform::Result<void> {
            const std::optional<int> parsed = ParseNumber(n, 0, kMostRetries);
            if (!parsed) {
                return platform::Fail("--retries takes a whole number from 0 to 10, not \"" +
                                      std::string(n) + "\"");
            }
            o->suite.retries = *parsed;
            return {};
        }));
    specs.push_back(FlagOption("--fail-on-flaky",
                               "a script that passes only on a retry fails the run too",
                               &o->suite.failOnFlaky));
    specs.push_back(ValueOption(
        "--repeat-each", "N",
        "run each script N times (1 to 100) and fail one whose runs\n"
        "differ, naming the first step where they part",
        [o](std::string_view n) -> platform::Result<void> {
            const std::optional<int> parsed = ParseNumber(n, 1, kMostRepeats);
            if (!parsed) {
                return platform::Fail("--repeat-each takes a whole number from 1 to 100, not \"" +
                                      std::string(n) + "\"");
            }
            o->suite.repeatEach = *parsed;
            return {};
        }));
    OptionSpec merge;
    merge.name = "--merge-reports";
    merge.takes = Takes::Words;
    merge.value = "OUT DIR";
    merge.help =
        "merge the --report folders DIR... of a suite's shards into\n"
        "one report OUT (with --junit, one JUnit file too)";
    merge.take = [o](std::string_view word) {
        o->mergeReports.push_back(script::PathFromUtf8(word));
        return platform::Result<void>();
    };
    specs.push_back(std::move(merge));
    specs.push_back(ValueOption(
        "--timeout", "MS",
        "end a script past MS milliseconds of wall time and report\n"
        "it failed at its line (default 600000, 10 minutes; 0: none)",
        [o](std::string_view ms) -> platform::Result<void> {
            const std::optional<int> parsed = ParseNumber(ms, 0, std::numeric_limits<int>::max());
            if (!parsed) {
                return platform::Fail(
                    "--timeout takes a whole number of milliseconds, 0 or more, not \"" +
                    std::string(ms) + "\"");
            }
            o->suite.timeout = std::chrono::milliseconds(*parsed);
            return {};
        }));
    OptionSpec worker;
    worker.name = "--suite-worker";
    worker.takes = Takes::Value;
    worker.value = "DIR";
    worker.take = [o](std::string_view folder) {
        o->suite.worker = script::PathFromUtf8(folder);
        return platform::Result<void>();
    };
    worker.hidden = true;
    specs.push_back(std::move(worker));
    specs.push_back(ValueOption("--open-at", "LINE",
                                "run one --script's lines before LINE (FILE:LINE, or fail:\n"
                                "its first failure's) on the virtual clock, then open the\n"
                                "window there, the clock going on in real time",
                                [o](std::string_view word) -> platform::Result<void> {
                                    platform::Result<OpenAt> at = ParseOpenAt(word);
                                    if (!at) {
                                        return platform::Fail(at.error());
                                    }
                                    o->openAt = std::move(*at);
                                    return {};
                                }));
    specs.push_back(
        PathOption("--record", "FILE", "write what is done in the window as a script", &o->record));
    specs.push_back(ValueOption(
        "--scale", "N", "window pixels per screen pixel, 1 to 8 (default 2)",
        [o](std::string_view n) -> platform::Result<void> {
            const std::optional<int> parsed = ParseNumber(n, kMinScale, kMaxScale);
            if (!parsed) {
                return platform::Fail("--scale takes a whole number from 1 to 8, not \"" +
                                      std::string(n) + "\"");
            }
            o->scale = *parsed;
            return {};
        }));
    specs.push_back(ValueOption("--monitor", "DEVICES",
                                "write what crosses the unit's DEVICES to standard error as\n"
                                "it happens: com7,gps1,ioctl,file,registry,sound or all",
                                [o](std::string_view text) -> platform::Result<void> {
                                    platform::Result<unsigned> devices = ParseMonitorDevices(text);
                                    if (!devices) {
                                        return platform::Fail(devices.error());
                                    }
                                    o->monitor |= *devices;
                                    return {};
                                }));
    OptionSpec screenshot = PathOption("--screenshot", "FILE",
                                       "write the screen as PNG when the run ends", &o->screenshot);
    screenshot.endProduct = true;
    specs.push_back(std::move(screenshot));
    OptionSpec dumpTree = PathOption("--dump-tree", "FILE",
                                     "write the windows and controls as JSON when a script\n"
                                     "or the tour ends",
                                     &o->dumpTree);
    dumpTree.endProduct = true;
    specs.push_back(std::move(dumpTree));
    specs.push_back(
        FlagOption("--demo", "run the dialog framework's demo dialog, not the console", &o->demo));
    specs.push_back(FlagOption("--version", "print the version and exit", &o->version));
    specs.push_back(FlagOption("--help", "print this usage and exit", &o->help));
    specs.push_back(FlagOption("-h", {}, &o->help));
    specs.back().hidden = true;
    return specs;
}

// The whole table: the backend's own options placed among the shared ones
// in their order, a shared one the backend names with the backend's words.
// An own option placed before no shared option comes last.
std::vector<OptionSpec> Table(const std::vector<OptionSpec>& own, Options* o) {
    std::vector<OptionSpec> shared = SharedSpecs(o);
    std::vector<const OptionSpec*> mine;
    for (const OptionSpec& entry : own) {
        const auto found = std::ranges::find(shared, entry.name, &OptionSpec::name);
        if (entry.take || found == shared.end()) {
            mine.push_back(&entry);
            continue;
        }
        if (!entry.help.empty()) {
            found->help = entry.help;
        }
        found->hidden = found->hidden || entry.hidden;
    }
    std::vector<OptionSpec> table;
    std::vector<bool> placed(mine.size(), false);
    const auto placeBefore = [&](std::string_view name) {
        for (std::size_t i = 0; i < mine.size(); ++i) {
            if (!placed[i] && mine[i]->before == name) {
                table.push_back(*mine[i]);
                placed[i] = true;
            }
        }
    };
    placeBefore({});
    for (OptionSpec& spec : shared) {
        placeBefore(spec.name);
        table.push_back(std::move(spec));
    }
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (!placed[i]) {
            table.push_back(*mine[i]);
        }
    }
    return table;
}

const OptionSpec* Find(const std::vector<OptionSpec>& table, std::string_view name) {
    const auto found = std::ranges::find(table, name, &OptionSpec::name);
    if (found == table.end()) {
        return nullptr;
    }
    if (found->sameAs.empty()) {
        return &*found;
    }
    // Another spelling names the option itself, never a further spelling.
    const auto named = std::ranges::find(table, found->sameAs, &OptionSpec::name);
    return named == table.end() || !named->sameAs.empty() ? nullptr : &*named;
}

// The options given that a script opened in the window cannot take.
std::vector<std::string_view> NotWithOpenAt(const std::set<std::string_view>& seen) {
    std::vector<std::string_view> given;
    for (const std::string_view name :
         {"--headless", "--junit", "--artifacts", "--update-screens", "--report", "--trace",
          "--jobs", "--shard", "--durations", "--last-failed", "--retries", "--fail-on-flaky",
          "--repeat-each", "--timeout", "--dump-tree"}) {
        if (seen.contains(name)) {
            given.push_back(name);
        }
    }
    return given;
}

}  // namespace

platform::Result<OpenAt> ParseOpenAt(std::string_view word) {
    if (word == "fail") {
        return OpenAt{OpenAt::Kind::Fail, 0, std::nullopt};
    }
    // The last colon: a file's name may hold one (C:\x.ks:12).
    const std::size_t colon = word.rfind(':');
    const std::string_view number = colon == std::string_view::npos ? word : word.substr(colon + 1);
    const std::optional<int> line = ParseNumber(number, 0, std::numeric_limits<int>::max());
    const std::string why =
        "--open-at takes LINE, FILE:LINE or fail, not \"" + std::string(word) + "\"";
    if (!line || colon == 0) {
        return platform::Fail(why);
    }
    if (*line == 0) {
        return platform::Fail(why + ": the first line is 1");
    }
    OpenAt at{OpenAt::Kind::Line, *line, std::nullopt};
    if (colon != std::string_view::npos) {
        at.file = script::PathFromUtf8(word.substr(0, colon));
    }
    return at;
}

OptionSpec FlagOption(std::string_view name, std::string_view help, bool* to) {
    OptionSpec spec;
    spec.name = name;
    spec.help = help;
    spec.take = [to](std::string_view) {
        *to = true;
        return platform::Result<void>();
    };
    return spec;
}

OptionSpec ValueOption(std::string_view name, std::string_view value, std::string_view help,
                       std::function<platform::Result<void>(std::string_view)> take) {
    OptionSpec spec;
    spec.name = name;
    spec.takes = Takes::Value;
    spec.value = value;
    spec.help = help;
    spec.take = std::move(take);
    return spec;
}

OptionSpec PathOption(std::string_view name, std::string_view value, std::string_view help,
                      std::optional<std::filesystem::path>* to) {
    return ValueOption(name, value, help, [to](std::string_view v) {
        *to = script::PathFromUtf8(v);
        return platform::Result<void>();
    });
}

ParsedOptions ParseOptions(std::span<const std::string_view> arguments,
                           const std::vector<OptionSpec>& own) {
    Options o;
    const std::vector<OptionSpec> table = Table(own, &o);
    std::set<std::string_view> seen;
    auto fail = [](std::string message) {
        return ParsedOptions(platform::Fail(std::move(message)));
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        const OptionSpec* spec = Find(table, arg);
        if (spec == nullptr) {
            return fail("unknown argument \"" + std::string(arg) + "\"");
        }
        // A list (--script a --script b) may be given again and goes on.
        if (!seen.insert(spec->name).second && spec->takes != Takes::Words) {
            return fail(std::string(arg) + " is given twice");
        }
        platform::Result<void> refused;
        switch (spec->takes) {
            case Takes::Nothing:
                refused = spec->take({});
                break;
            case Takes::Value:
                if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                    return fail(std::string(arg) + " needs a value");
                }
                // "--report --trace": the value was left out, not a folder named so.
                if (arguments[i + 1].starts_with("--") ||
                    Find(table, arguments[i + 1]) != nullptr) {
                    return fail(std::string(arg) + " needs a value, not the option \"" +
                                std::string(arguments[i + 1]) + "\"");
                }
                refused = spec->take(arguments[++i]);
                break;
            case Takes::Words: {
                const std::size_t first = i + 1;
                while (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
                    if (arguments[++i].empty()) {
                        return fail(std::string(arg) + " takes no empty name");
                    }
                    if (refused) {
                        refused = spec->take(arguments[i]);
                    }
                }
                if (i + 1 == first) {
                    return fail(std::string(arg) + " needs a value");
                }
                break;
            }
        }
        if (!refused) {
            return fail(refused.error());
        }
    }
    const bool scripted = !o.scripts.empty();
    const SuiteOptions& suite = o.suite;
    if (!o.mergeReports.empty()) {
        if (o.mergeReports.size() < 2) {
            return fail("--merge-reports needs OUT and the report folders to merge into it");
        }
        if (scripted || suite.artifacts || suite.updateScreens || suite.report || suite.trace ||
            suite.jobs != 1 || suite.shard || suite.durations || suite.lastFailed ||
            suite.retries != 0 || suite.failOnFlaky || suite.repeatEach != 1 ||
            suite.timeout != kDefaultTimeout || o.record || o.screenshot || o.dumpTree || o.demo) {
            return fail("--merge-reports runs nothing: it takes --junit alone");
        }
    } else if (!scripted &&
               (suite.junit || suite.artifacts || suite.updateScreens || suite.report ||
                suite.trace || suite.jobs != 1 || suite.shard || suite.durations ||
                suite.lastFailed || suite.retries != 0 || suite.failOnFlaky ||
                suite.repeatEach != 1 || suite.timeout != kDefaultTimeout)) {
        return fail(
            "--junit, --artifacts, --update-screens, --report, --trace, --jobs, --shard, "
            "--durations, --last-failed, --retries, --fail-on-flaky, --repeat-each and "
            "--timeout go with --script");
    }
    if (suite.failOnFlaky && suite.retries == 0) {
        return fail("--fail-on-flaky goes with --retries");
    }
    if (suite.repeatEach != 1 && suite.retries != 0) {
        return fail(
            "--repeat-each looks for runs that differ, which --retries would hide: "
            "not together");
    }
    if (suite.repeatEach != 1 && o.realTime) {
        return fail("--repeat-each compares runs on the virtual clock: not with --real-time");
    }
    if (o.dumpTree && !scripted && !o.headless) {
        return fail("--dump-tree goes with --script or --headless");
    }
    if (suite.trace && !suite.report) {
        return fail("--trace goes with --report");
    }
    if (suite.durations && !suite.shard) {
        return fail("--durations goes with --shard");
    }
    o.suite.commandLine.assign(arguments.begin(), arguments.end());
    if (o.openAt) {
        if (o.scripts.size() != 1) {
            return fail("--open-at opens one script in the window: give it one --script FILE");
        }
        std::error_code ec;
        if (std::filesystem::is_directory(o.scripts[0], ec)) {
            return fail("--open-at opens one script file, and " +
                        script::Utf8FromPath(o.scripts[0]) + " is a folder");
        }
        if (const std::vector<std::string_view> given = NotWithOpenAt(seen); !given.empty()) {
            std::string names;
            for (std::size_t i = 0; i < given.size(); ++i) {
                names += (i == 0 ? "" : i + 1 == given.size() ? " or " : ", ");
                names += given[i];
            }
            return fail("--open-at opens one script in the window: not with " + names);
        }
    } else if (o.record && (scripted || o.headless)) {
        return fail("--record records the window: not with --script or --headless");
    }
    return o;
}

std::string Usage(std::string_view program, const std::vector<OptionSpec>& own) {
    Options unused;
    const std::vector<OptionSpec> table = Table(own, &unused);
    std::string usage = "usage: " + std::string(program);
    const std::size_t indent = usage.size() + 1;
    std::size_t line = usage.size();
    for (const OptionSpec& spec : table) {
        if (spec.hidden) {
            continue;
        }
        std::string item = "[" + std::string(spec.name);
        if (spec.takes != Takes::Nothing) {
            item += " " + std::string(spec.value);
        }
        item += spec.takes == Takes::Words ? " ...]" : "]";
        if (line + 1 + item.size() > kSynopsisWidth) {
            usage += "\n" + std::string(indent - 1, ' ');
            line = indent - 1;
        }
        usage += " " + item;
        line += 1 + item.size();
    }
    usage += "\n";
    for (const OptionSpec& spec : table) {
        if (spec.hidden) {
            continue;
        }
        std::string head = "  " + std::string(spec.name);
        if (spec.takes != Takes::Nothing) {
            head += " " + std::string(spec.value);
        }
        // A head too long for its column has its help below it.
        const bool below = head.size() + 2 > kHelpColumn;
        if (below) {
            usage += head + "\n";
        }
        head.resize(kHelpColumn, ' ');
        std::string_view help = spec.help;
        for (bool first = !below; first || !help.empty(); first = false) {
            const std::size_t end = help.find('\n');
            usage += (first ? head : std::string(kHelpColumn, ' '));
            usage += help.substr(0, end);
            usage += '\n';
            help = end == std::string_view::npos ? std::string_view{} : help.substr(end + 1);
        }
    }
    return usage;
}

std::vector<std::string_view> EndProductOptions(const std::vector<OptionSpec>& own) {
    Options unused;
    std::vector<std::string_view> names;
    for (const OptionSpec& spec : Table(own, &unused)) {
        if (spec.endProduct) {
            names.push_back(spec.name);
        }
    }
    std::stable_partition(names.begin(), names.end(),
                          [](std::string_view n) { return n == "--screenshot"; });
    return names;
}

}  // namespace program
