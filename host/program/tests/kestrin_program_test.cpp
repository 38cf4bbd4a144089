// kestrin in-process on copies of the default unit: which unit a run loads,
// what stops a run before it starts, script runs with their end products,
// and the tour of the pages when there is no display.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "host/unit/unique_fd.h"
#include "program_fixture.h"
#include "script/pattern.h"

namespace host::test {
namespace {

using platform::kExitUsage;

class KestrinProgramTest : public ProgramTest {
  protected:
    Outcome Kestrin(const KestrinOptions& options,
                    const UnitSources& sources = {kDefaultUnit, {}}) {
        std::ostringstream out;
        std::ostringstream err;
        Outcome o;
        o.status = RunKestrin(options, sources, out, err);
        o.out = out.str();
        o.err = err.str();
        return o;
    }

    KestrinOptions Scripted(const std::string& text) {
        KestrinOptions o;
        o.headless = true;
        o.scripts = {WriteFile("run.script", text)};
        return o;
    }
};

TEST_F(KestrinProgramTest, ARunLoadsTheUnitItIsGivenOrACopy) {
    const auto source = CopyOfDefault("source", kMarkerToml);
    const auto missing = Work() / "missing";
    struct Case {
        const char* what;
        std::optional<std::filesystem::path> unitDir;
        bool freshCopy;
        UnitSources sources;
        int status;
        bool changedInPlace;
    };
    const Case cases[] = {
        {"--unit: in place", source, false, {missing, {}}, 0, true},
        {"--unit --fresh-copy", source, true, {missing, {}}, 0, false},
        {"built-in default: a copy", {}, false, {source, {}}, 0, false},
        {"KESTRIN_UNIT_DIR over the built-in: a copy", {}, false, {missing, source}, 0, false},
        {"KESTRIN_UNIT_DIR is what is used", {}, false, {source, missing}, kExitUsage, false},
        {"--unit over KESTRIN_UNIT_DIR", source, true, {missing, missing}, 0, false},
    };
    for (const Case& k : cases) {
        std::filesystem::remove(source / "fs" / "Mounted Volume2" / "marker.bin");
        KestrinOptions o = Scripted("expect caption \"Kestrin\"\n");
        o.unitDir = k.unitDir;
        o.freshCopy = k.freshCopy;
        const Outcome r = Kestrin(o, k.sources);
        EXPECT_EQ(r.status, k.status) << k.what << ": " << r.err;
        EXPECT_EQ(HasMarker(source), k.changedInPlace) << k.what;
    }
}

TEST_F(KestrinProgramTest, AUnitThatDoesNotLoadStopsTheRunNamingFileLineAndKey) {
    struct Case {
        const char* file;
        const char* text;
        std::string message;  // what the error line holds
    };
    const Case cases[] = {
        {"unit.toml", "[pwm]\nsteps = \"ten\"\n", "unit.toml:2: pwm.steps: "},
        {"unit.toml", "[pwm]\nsteps = 4\nstep = 4\n", "unit.toml:3: pwm.step: "},
        {"unit.toml", "# the power\n\n[power]\nbattery_mv = 99999\n",
         "unit.toml:4: power.battery_mv: "},
        {"unit.toml", "[nosuch]\nkey = 1\n", "unit.toml:1: nosuch"},
        {"registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers]\nbogus line\n",
         "registry.reg:4"},
    };
    int n = 0;
    const auto second = WriteFile("second.ks", "expect caption \"Kestrin\"\n");
    for (const Case& k : cases) {
        const auto dir = CopyOfDefault("bad" + std::to_string(n++));
        std::ofstream(dir / k.file, std::ios::trunc) << k.text;
        KestrinOptions o = Scripted("expect caption \"Kestrin\"\n");
        o.unitDir = dir;
        // In place, and as a suite's fresh copy: the user's file is named.
        for (const bool suite : {false, true}) {
            if (suite) {
                o.scripts.push_back(second);
            }
            const Outcome r = Kestrin(o);
            EXPECT_EQ(r.status, kExitUsage) << k.text;
            EXPECT_NE(r.err.find(dir.string() + "/" + k.message), std::string::npos)
                << k.text << " -> " << r.err;
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        }
    }
}

TEST_F(KestrinProgramTest, AMalformedScriptStopsBeforeAnythingRuns) {
    const auto source = CopyOfDefault("unit", kMarkerToml);
    const auto shot = Work() / "first.png";
    KestrinOptions o = Scripted("screenshot \"" + shot.string() + "\"\n\nbogus 1\n");
    o.unitDir = source;
    const Outcome r = Kestrin(o);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, o.scripts.front().string() + ":3: unknown command \"bogus\"\n");
    EXPECT_FALSE(std::filesystem::exists(shot));
    EXPECT_FALSE(HasMarker(source)) << "the unit was loaded";

    // Every reason is told before the run stops: a missing name does not
    // hide a malformed line, and an empty script proves nothing.
    const auto missing = Work() / "no-such.script";
    const auto empty = WriteFile("empty.ks", "# nothing yet\n\n");
    o.scripts = {missing, o.scripts.front(), empty};
    const Outcome all = Kestrin(o);
    EXPECT_EQ(all.status, kExitUsage);
    EXPECT_EQ(all.err, "kestrin: " + missing.string() + ": no such script or folder\n" +
                           o.scripts[1].string() + ":3: unknown command \"bogus\"\n" +
                           empty.string() + ": the script holds no command\n");
    EXPECT_FALSE(HasMarker(source)) << "the unit was loaded";
}

TEST_F(KestrinProgramTest, OnlyASingleScriptFileNamedWithUnitRunsInPlace) {
    const auto source = CopyOfDefault("source", kMarkerToml);
    const auto one = Work() / "one";
    std::filesystem::create_directory(one);
    const auto file = WriteFile("one/only.ks", "expect caption \"Kestrin\"\n");
    const auto other = WriteFile("other.ks", "expect caption \"Kestrin\"\n");
    struct Case {
        const char* what;
        std::vector<std::filesystem::path> scripts;
        bool inPlace;
    };
    const Case cases[] = {
        {"a single script file", {file}, true},
        {"a folder of one script", {one}, false},
        {"two script files", {file, other}, false},
    };
    for (const Case& k : cases) {
        std::filesystem::remove(source / "fs" / "Mounted Volume2" / "marker.bin");
        KestrinOptions o;
        o.unitDir = source;
        o.scripts = k.scripts;
        const Outcome r = Kestrin(o);
        EXPECT_EQ(r.status, 0) << k.what << ": " << r.err;
        EXPECT_EQ(HasMarker(source), k.inPlace) << k.what;
    }
}

TEST_F(KestrinProgramTest, ScreenshotsOfAScriptGoBesideIt) {
    std::filesystem::create_directory(Work() / "shots");
    KestrinOptions o;
    o.scripts = {WriteFile("shots/s.ks", "wait 100\nscreenshot here.png\n")};
    const Outcome r = Kestrin(o);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(Work() / "shots" / "here.png").substr(0, 4), "\x89PNG");
}

TEST_F(KestrinProgramTest, AScriptRunPassesOrFailsWithItsLineAndLeavesItsEndProducts) {
    const auto shot = Work() / "end.png";
    const auto wav = Work() / "run.wav";
    KestrinOptions o = Scripted(
        "expect caption \"Kestrin\"\nwait 500\ntab 2\nexpect match 1051 \"[0-9]+\"\ntab 5\n"
        "click 1006\nwait 300\n");
    o.screenshot = shot;
    o.audioOut = wav;
    o.dumpTree = Work() / "end.json";
    Outcome r = Kestrin(o);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(shot).substr(0, 4), "\x89PNG");
    // The "Audio" page the script ended on, as data.
    const std::string tree = ReadFile(*o.dumpTree);
    EXPECT_TRUE(tree.starts_with("{\"windows\": [\n")) << tree;
    EXPECT_NE(tree.find("{\"id\": 1006, \"class\": \"Button\", \"text\": \"PLAY\""),
              std::string::npos)
        << tree;
    EXPECT_NE(tree.find("\"text\": \"100Hz\", \"rect\": {\"left\": "), std::string::npos);
    const std::string sound = ReadFile(wav);
    EXPECT_EQ(sound.substr(0, 4), "RIFF");
    EXPECT_EQ(sound.substr(8, 4), "WAVE");

    r = Kestrin(Scripted("wait 500\ntab 2\nexpect text 1051 \"0\"\n"));
    EXPECT_EQ(r.status, 1);
    const auto line = *script::Pattern::Compile(
        "(?s).*run\\.script:3: expect text 1051 \"0\": expected \"0\", found \"[0-9]+\"\n");
    EXPECT_TRUE(line->Match(r.err).matched) << r.err;
}

TEST_F(KestrinProgramTest, SeveralScriptsRunEachOnAFreshUnitWithOneVerdict) {
    const auto source = CopyOfDefault("source", kMarkerToml);
    const auto suite = Work() / "suite";
    std::filesystem::create_directory(suite);
    WriteFile("suite/1-pass.ks", "expect caption \"Kestrin\"\n");
    WriteFile("suite/2-fail.script", "tab 2\nexpect text 1051 \"0\"\n");
    WriteFile("suite/3-pass.ks", "tab 2\nexpect match 1051 \"[0-9]+\" within 1000\n");
    WriteFile("suite/notes.txt", "not a script\n");
    KestrinOptions o;
    o.unitDir = source;
    o.scripts = {suite};
    o.suite.artifacts = Work() / "artifacts";
    o.suite.junit = Work() / "report.xml";
    const Outcome r = Kestrin(o);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2 passed, 1 failed\n");
    EXPECT_FALSE(HasMarker(source)) << "with several scripts, each runs on a copy";
    EXPECT_TRUE(std::filesystem::exists(*o.suite.junit));

    // Only the failed script leaves artifacts.
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(*o.suite.artifacts)) {
        kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(kept.front().filename(), "2-fail.script");
    for (const char* file : {"screen.png", "debug.txt", "output.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(kept.front() / file)) << file;
    }
    EXPECT_NE(ReadFile(kept.front() / "output.txt").find("2-fail.script:2: expect text 1051"),
              std::string::npos);
}

TEST_F(KestrinProgramTest, EachScriptKeepsItsEvidenceApartAndARunClearsWhatIsStale) {
    const std::string fails = "tab 2\nexpect text 1051 \"0\"\n";
    for (const char* folder : {"a", "one", "one/s", "two", "two/s"}) {
        std::filesystem::create_directory(Work() / folder);
    }
    const std::vector<std::filesystem::path> scripts = {
        WriteFile("a/x.ks", fails), WriteFile("a_x.ks", fails), WriteFile("one/s/x.ks", fails),
        WriteFile("two/s/x.ks", fails)};
    KestrinOptions o;
    o.scripts = scripts;
    o.suite.artifacts = Work() / "artifacts";
    EXPECT_EQ(Kestrin(o).out, "0 passed, 4 failed\n");
    for (const auto& script : scripts) {
        const auto kept = *o.suite.artifacts / script.lexically_relative(Work());
        EXPECT_TRUE(std::filesystem::exists(kept / "screen.png")) << kept;
        EXPECT_EQ(ReadFile(kept / "output.txt").rfind(script.string() + ":2: ", 0), 0U) << kept;
    }

    // a/x.ks passes now: its old evidence goes, the others' is renewed.
    WriteFile("a/x.ks", "expect caption \"Kestrin\"\n");
    EXPECT_EQ(Kestrin(o).out, "1 passed, 3 failed\n");
    EXPECT_FALSE(std::filesystem::exists(*o.suite.artifacts / "a")) << "nor its empty folder";
    EXPECT_TRUE(std::filesystem::exists(*o.suite.artifacts / "a_x.ks" / "output.txt"));

    // Evidence that cannot be kept is told, file by file.
    o.scripts = {scripts[1]};
    o.suite.artifacts = WriteFile("in-the-way", "a file, not a folder\n");
    const Outcome blocked = Kestrin(o);
    EXPECT_EQ(blocked.status, 1);
    const auto folder = *o.suite.artifacts / "a_x.ks";
    for (const std::string& said :
         {scripts[1].string() + ": cannot keep the evidence in " + folder.string() + ": ",
          "kestrin: " + (folder / "output.txt").string() + ": cannot write\n"}) {
        EXPECT_NE(blocked.err.find(said), std::string::npos) << said << " in " << blocked.err;
    }
}

TEST_F(KestrinProgramTest, AReportEmptiesAnEarlierReportButNoOtherFolder) {
    KestrinOptions o = Scripted("expect caption \"Kestrin\"\n");
    o.suite.report = Work() / "notes";
    std::filesystem::create_directory(*o.suite.report);
    WriteFile("notes/mine.txt", "not a report\n");
    const Outcome refused = Kestrin(o);
    EXPECT_EQ(refused.status, kExitUsage);
    EXPECT_EQ(refused.err, "kestrin: --report " + o.suite.report->string() +
                               ": the folder holds files that are not a report of kestrin\n");
    EXPECT_EQ(ReadFile(Work() / "notes" / "mine.txt"), "not a report\n");

    o.suite.report = Work() / "report";
    ASSERT_EQ(Kestrin(o).status, 0);
    WriteFile("report/screens/stale.png", "from an earlier run");
    ASSERT_EQ(Kestrin(o).status, 0);
    EXPECT_TRUE(std::filesystem::exists(Work() / "report" / "index.html"));
    EXPECT_FALSE(std::filesystem::exists(Work() / "report" / "screens" / "stale.png"));
}

TEST_F(KestrinProgramTest, WhatARunCannotWriteIsRefusedBeforeAnythingRuns) {
    const auto first = WriteFile("a.ks", "expect caption \"Kestrin\"\n");
    const auto second = WriteFile("b.ks", "expect caption \"Kestrin\"\n");
    std::filesystem::create_symlink(Work() / "gone", Work() / "dangling");
    KestrinOptions suite;
    suite.scripts = {first, second};
    struct Case {
        const char* what;
        KestrinOptions options;
        std::string err;
    };
    std::vector<Case> cases = {
        {"--report: a link to nothing", suite,
         "kestrin: --report " + (Work() / "dangling").string() + ": a symbolic link to " +
             (Work() / "gone").string() + ", which does not exist\n"},
        {"--junit: a script of the suite", suite,
         "kestrin: --junit " + second.string() +
             ": one of the scripts; the report would replace it\n"},
        {"--record: a folder that is not there",
         {},
         "kestrin: --record " + (Work() / "no-folder" / "visit.ks").string() +
             ": there is no folder " + (Work() / "no-folder").string() + " to write it in\n"},
    };
    cases[0].options.suite.report = Work() / "dangling";
    cases[1].options.suite.junit = second;
    cases[2].options.record = Work() / "no-folder" / "visit.ks";
    for (const Case& k : cases) {
        const Outcome r = Kestrin(k.options);
        EXPECT_EQ(r.status, kExitUsage) << k.what;
        EXPECT_EQ(r.err, k.err) << k.what;
        EXPECT_EQ(r.out, "") << k.what << ": it ran";
    }
    EXPECT_EQ(ReadFile(second), "expect caption \"Kestrin\"\n");
}

TEST_F(KestrinProgramTest, AShardSaysWhenItIsEmptyOrThereAreMoreSlicesThanScripts) {
    KestrinOptions o;
    o.scripts = {WriteFile("a.ks", "expect caption \"Kestrin\"\n"),
                 WriteFile("b.ks", "expect caption \"Kestrin\"\n")};
    const std::regex verdict(
        R"(([0-2]) passed, 0 failed \(shard ([1-5])/5 of 2 scripts: (this slice is empty|more slices than scripts, some are empty)\)\n)");
    int passed = 0;
    for (int k = 1; k <= 5; ++k) {
        o.suite.shard = program::Shard{k, 5};
        const Outcome r = Kestrin(o);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(r.out, m, verdict)) << r.out;
        EXPECT_EQ(r.status, 0) << "an empty slice is no failure";
        EXPECT_EQ(m[2], std::to_string(k));
        EXPECT_EQ(m[1] == "0", m[3] == "this slice is empty") << r.out;
        passed += std::stoi(m[1]);
    }
    EXPECT_EQ(passed, 2);
    o.suite.shard = program::Shard{1, 2};
    EXPECT_EQ(Kestrin(o).out.find('('), std::string::npos) << "nothing to say";
}

// The refusal is made from the unit's configuration before anything of it
// starts: a gpsd that never greets is not even connected to.
TEST_F(KestrinProgramTest, AUnitOnAHostDeviceIsRefusedOnTheVirtualClock) {
    const unit::UniqueFd gpsd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_TRUE(gpsd.valid() &&
                ::bind(gpsd.get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                ::listen(gpsd.get(), 4) == 0 &&
                ::getsockname(gpsd.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0);
    struct Case {
        std::string from;
        std::string to;
        std::string named;
    };
    const Case cases[] = {
        {"[com]\n", "[com]\ndevice = \"/dev/null\"\n", "com.device = \"/dev/null\""},
        {"source = \"file\"", "source = \"stdin\"", "gps.source = \"stdin\""},
        {"source = \"file\"",
         "source = \"gpsd\"\ngpsd = \"127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "\"",
         "gps.source = \"gpsd\""},
    };
    int n = 0;
    for (const Case& k : cases) {
        const auto dir = CopyOfDefault("host" + std::to_string(n++));
        EditToml(dir, k.from, k.to);
        KestrinOptions o = Scripted("expect caption \"Kestrin\"\n");
        o.unitDir = dir;
        const Outcome r = Kestrin(o);
        EXPECT_EQ(r.status, kExitUsage) << k.named;
        EXPECT_EQ(r.err, "kestrin: the unit uses a device of the host (" + k.named +
                             "), which runs on the wall clock: run the script with --real-time\n");

        // The tour too runs on the virtual clock unless told otherwise.
        KestrinOptions tour;
        tour.headless = true;
        tour.unitDir = dir;
        const Outcome refused = Kestrin(tour);
        EXPECT_EQ(refused.status, kExitUsage) << k.named;
        EXPECT_EQ(refused.err, "kestrin: the unit uses a device of the host (" + k.named +
                                   "), which runs on the wall clock: take the tour with "
                                   "--real-time\n");
    }
    EXPECT_LT(::accept4(gpsd.get(), nullptr, nullptr, SOCK_CLOEXEC), 0) << "gpsd was connected to";
}

// The seven screenshots of a tour, from the folder the program names.
std::set<std::string> TourShots(const std::string& out, std::filesystem::path* folder) {
    constexpr std::string_view kNamed = "Screenshots of the seven pages go to ";
    std::set<std::string> files;
    const std::size_t at = out.find(kNamed);
    const std::size_t end = at == std::string::npos ? at : out.find('\n', at);
    if (end == std::string::npos) {
        return files;
    }
    *folder = out.substr(at + kNamed.size(), end - at - kNamed.size());
    for (const auto& entry : std::filesystem::directory_iterator(*folder)) {
        if (ReadFile(entry.path()).substr(0, 4) == "\x89PNG") {
            files.insert(entry.path().filename().string());
        }
    }
    return files;
}

const std::set<std::string> kPages = {"ver.png", "ship.png",  "diag.png",   "touchpanel.png",
                                      "lcd.png", "audio.png", "rds-gps.png"};

// --open-at refuses what it cannot open, before anything runs: status 2,
// a line that says why, and the usage where the command line is wrong.
TEST_F(KestrinProgramTest, OpenAtRefusesWhatItCannotOpen) {
    const std::string a = WriteFile("a.ks", "# two commands\ntab 2\n\nwait 100\n# end\n").string();
    const std::string b = WriteFile("b.ks", "tab 1\n").string();
    const std::string dir = Work().string();
    struct Case {
        std::vector<std::string> args;
        std::string says;
        bool usage;
    };
    const Case cases[] = {
        {{"--open-at", "2"},
         "--open-at opens one script in the window: give it one --script FILE",
         true},
        {{"--script", a, b, "--open-at", "2"}, "give it one --script FILE", true},
        {{"--script", a, "--script", b, "--open-at", "2"}, "give it one --script FILE", true},
        {{"--script", dir, "--open-at", "2"},
         "--open-at opens one script file, and " + dir + " is a folder",
         true},
        {{"--script", a, "--open-at", "2", "--headless"},
         "--open-at opens one script in the window: not with --headless",
         true},
        {{"--script", a, "--open-at", "fail", "--jobs", "2", "--retries", "1"},
         "not with --jobs or --retries",
         true},
        {{"--script", a, "--open-at", "2", "--repeat-each", "2"}, "not with --repeat-each", true},
        {{"--script", a, "--open-at", "2", "--report", "r", "--trace", "--timeout", "9"},
         "not with --report, --trace or --timeout",
         true},
        {{"--script", a, "--open-at", "2", "--dump-tree", "t.json"}, "not with --dump-tree", true},
        {{"--script", a, "--open-at", "0"},
         "--open-at takes LINE, FILE:LINE or fail, not \"0\": the first line is 1",
         true},
        {{"--script", a, "--open-at", "two"},
         "--open-at takes LINE, FILE:LINE or fail, not \"two\"",
         true},
        {{"--script", a, "--open-at", a + ":"}, "--open-at takes LINE, FILE:LINE or fail", true},
        {{"--script", a, "--open-at", ":3"}, "--open-at takes LINE, FILE:LINE or fail", true},
        {{"--script", a, "--open-at", "6"}, "kestrin: --open-at 6: " + a + " has 5 lines", false},
        {{"--script", a, "--open-at", b + ":2"},
         "kestrin: --open-at " + b + ":LINE names another file than the script " + a,
         false},
    };
    for (const Case& c : cases) {
        const std::vector<std::string_view> args(c.args.begin(), c.args.end());
        Seam seam({kDefaultUnit, {}});
        std::ostringstream out;
        std::ostringstream err;
        const std::string line = ::testing::PrintToString(c.args);
        EXPECT_EQ(program::Main("kestrin", args, seam, out, err), kExitUsage) << line;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << line << "\n" << err.str();
        EXPECT_EQ(err.str().find("usage: kestrin") != std::string::npos, c.usage) << line << "\n"
                                                                                  << err.str();
        EXPECT_EQ(out.str(), "") << line;
    }
}

TEST_F(KestrinProgramTest, HeadlessWithoutAScriptTakesTheTour) {
    KestrinOptions o;
    o.headless = true;
    const Outcome r = Kestrin(o);
    EXPECT_EQ(r.status, 0) << r.err;
    std::filesystem::path folder;
    EXPECT_EQ(TourShots(r.out, &folder), kPages) << r.out;
    if (!folder.empty()) {
        std::filesystem::remove_all(folder);
    }
}

TEST_F(KestrinProgramTest, WithoutADisplayTheProgramSaysSoAndTakesTheTour) {
    // Each test runs in a process of its own: the environment is ours.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        unsetenv(name);
    }
    // DISPLAY | why there is none
    const std::pair<const char*, std::string> cases[] = {
        {nullptr, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        // A display left from a session that has ended: no server there.
        {":65000", "the display :65000 (DISPLAY) could not be opened"},
    };
    for (const auto& [display, why] : cases) {
        if (display != nullptr) {
            setenv("DISPLAY", display, 1);
        }
        const Outcome r = Kestrin(KestrinOptions{});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(
            r.out.rfind("No display (" + why + "): running the tour of the pages headless.\n", 0),
            0U)
            << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
        std::filesystem::path folder;
        EXPECT_EQ(TourShots(r.out, &folder), kPages) << r.out;
        if (!folder.empty()) {
            std::filesystem::remove_all(folder);
        }
    }
}

}  // namespace
}  // namespace host::test

// A DISPLAY with no server behind it has SDL try its video drivers, and
// libdbus, which SDL starts on the way, keeps a buffer past SDL_Quit (as in
// the window's tests).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
