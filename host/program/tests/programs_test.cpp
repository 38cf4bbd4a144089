// The built programs themselves, as a shell runs them: exit statuses and
// what they write where.
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "program_fixture.h"
#include "program_paths.h"
#include "script/pattern.h"

namespace host::test {
namespace {

class ProgramsTest : public ProgramTest {
  protected:
    // Runs a command line of the shell, without the caller's unit folder;
    // `feed` is a command whose output is the program's standard input.
    Outcome Shell(const std::string& command, const std::string& feed = "cat /dev/null") {
        const auto out = Work() / "stdout";
        const auto err = Work() / "stderr";
        const std::string line = feed + " | env -u KESTRIN_UNIT_DIR " + command + " >'" +
                                 out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(line.c_str());
        Outcome o;
        o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        o.out = ReadFile(out);
        o.err = ReadFile(err);
        return o;
    }
    static std::string Quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }
};

// A program of this build as a command of the shell: under the emulator of
// a cross build.
std::string Program(const std::filesystem::path& p) {
    return KESTRIN_TEST_EMULATOR " '" + p.string() + "'";
}

const std::string kKestrin = Program(KESTRIN_BIN);
const std::string kGps = Program(GPS_BIN);
const std::string kTunerModule = Program(TUNER_MODULE_BIN);

TEST_F(ProgramsTest, KestrinWithAnInvalidUnitTomlSaysWhereAndFails) {
    const auto dir = CopyOfDefault("unit");
    std::ofstream(dir / "unit.toml", std::ios::trunc) << "[pwm]\nsteps = 4\nduty = \"high\"\n";
    const Outcome r = Shell(kKestrin + " --headless --unit " + Quoted(dir));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err,
              (dir / "unit.toml").string() + ":3: pwm.duty: expected an integer, found a string\n");
}

TEST_F(ProgramsTest, KestrinArgumentsAndScripts) {
    Outcome r = Shell(kKestrin + " --scale 12");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--scale"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: kestrin"), std::string::npos) << r.err;
    r = Shell(kKestrin + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: kestrin", 0), 0U) << r.out;

    const auto fail = WriteFile("fail.script", "wait 10\nexpect caption \"Kestrel\"\n");
    const auto bad = WriteFile("bad.script", "wait ten\n");
    const std::string run =
        kKestrin + " --headless --unit " + Quoted(kDefaultUnit) + " --fresh-copy --script ";
    r = Shell(run + Quoted(fail));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, fail.string() +
                         ":2: expect caption \"Kestrel\": expected \"Kestrel\", found "
                         "\"Kestrin\"\n");
    r = Shell(run + Quoted(bad));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, bad.string() + ":1: MS must be a whole number, not \"ten\"\n");
}

// The RDS tool opened, a tune to a frequency without a station, a seek up
// to the next and the tool closed: what crossed COM7:, byte for byte, in
// the module's words, as it happened.
TEST_F(ProgramsTest, KestrinMonitorsTheTunersLine) {
    const auto script = WriteFile("tune.ks",
                                  "tab 6\nclick 1047\nclick 1079\nkey End\nkey Backspace\n"
                                  "key Backspace\nkey Backspace\ntype 1079 1000\nclick 1060\n"
                                  "wait 300\nclick 1092\nclick 1061\nwait 100\nclose\n");
    const std::string run = kKestrin + " --unit " + Quoted(kDefaultUnit) + " --fresh-copy";
    Outcome r = Shell(run + " --monitor com7 --script " + Quoted(script));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "       0 ms COM7: sent FF 6D 01 00 6D: Mute off\n"
              "       0 ms COM7: sent FF 73 7D F0 73: Tune 100.0 MHz\n"
              "       6 ms COM7: read 3F 00 00 73 7D 00 00 00 00 3F: reply s no strength, not "
              "tuned\n"
              "     300 ms COM7: sent FF 59 FE 01 59: Seek up, parameter 1\n"
              "     351 ms COM7: read 3F 00 00 66 80 01 55 00 00 3F: reply f found 100.3 MHz, "
              "tuned\n");
    r = Shell(run + " --monitor com7,com8 --script " + Quoted(script));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--monitor takes com7, gps1, ioctl, file, registry, sound or all, "
                         "joined by commas, not \"com8\""),
              std::string::npos)
        << r.err;
}

TEST_F(ProgramsTest, GpsReportsOnStandardErrorAndNeverTouchesTheRepository) {
    const auto dir = CopyOfDefault("unit");
    Outcome r = Shell(kGps + " on --unit " + Quoted(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Parametros incorrectos\n");
    EXPECT_EQ(r.out, "");

    r = Shell(kGps + " off 12");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--unit"), std::string::npos) << r.err;

    r = Shell(kGps + " \"off  12\" --unit " + Quoted(dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: No existe ese dispositivo\n");
    r = Shell("KESTRIN_UNIT_DIR=" + Quoted(dir) + " " + kGps + " off 12");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "registry.reg").find("Drivers\\Active\\12"), std::string::npos);
}

TEST_F(ProgramsTest, EveryProgramSaysItsVersion) {
    // The release, past its tag the commit, and -dirty for changes not committed.
    const auto line =
        *script::Pattern::Compile(R"(\d+\.\d+\.\d+(\+git\d+\.[0-9a-f]{7,})?(-dirty)?\n)");
    for (const auto& [program, name] : {std::pair{kKestrin, "kestrin "}, std::pair{kGps, "gps "},
                                        std::pair{kTunerModule, "tuner-module "}}) {
        const Outcome r = Shell(program + " --version");
        EXPECT_EQ(r.status, 0) << program;
        ASSERT_EQ(r.out.rfind(name, 0), 0U) << r.out;
        EXPECT_TRUE(line->Match(r.out.substr(std::string(name).size())).matched) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

// --help and -h alike print the usage, which names both, and end with 0.
TEST_F(ProgramsTest, EveryProgramsHelpListsHelp) {
    for (const std::string& program : {kKestrin, kGps, kTunerModule}) {
        const Outcome help = Shell(program + " --help");
        const Outcome h = Shell(program + " -h");
        EXPECT_EQ(help.status, 0) << program;
        EXPECT_EQ(h.status, 0) << program << ": " << h.err;
        EXPECT_EQ(h.out, help.out) << program;
        EXPECT_EQ(help.out.rfind("usage: ", 0), 0U) << help.out;
        EXPECT_NE(help.out.find("--help"), std::string::npos) << help.out;
    }
}

// LINK is the user's unless it is a link to a pseudo-terminal, as an earlier
// run that was killed leaves one: only that is taken over, and removed at
// the end.
TEST_F(ProgramsTest, TunerModuleMakesItsLinkOverNothingOfSomeoneElses) {
    // serve.sh LINK PROGRAM...: serves until the module says where, or has
    // ended; then ends it.
    const auto serve =
        WriteFile("serve.sh",
                  "link=$1; shift\n"
                  // There before the loop looks: the module's shell makes it
                  // only when it gets its turn.
                  ": >\"$link.out\"\n"
                  "\"$@\" --pty \"$link\" >>\"$link.out\" & module=$!\n"
                  "for _ in $(seq 200); do\n"
                  "  grep -q . \"$link.out\" || ! kill -0 $module 2>/dev/null && break\n"
                  "  sleep 0.05\n"
                  "done\n"
                  "kill $module 2>/dev/null; wait $module; status=$?\n"
                  "cat \"$link.out\"; exit $status\n");
    const auto link = Work() / "com7";
    struct Case {
        const char* what;
        std::function<void()> make;
        int status;
        std::filesystem::file_type left;  // what is at LINK afterwards
    };
    const Case cases[] = {
        {"a file", [&] { std::ofstream(link) << "mine"; }, 2, std::filesystem::file_type::regular},
        {"an empty folder", [&] { std::filesystem::create_directory(link); }, 2,
         std::filesystem::file_type::directory},
        {"a link to a file", [&] { std::filesystem::create_symlink(serve, link); }, 2,
         std::filesystem::file_type::symlink},
        {"an earlier run's link", [&] { std::filesystem::create_symlink("/dev/pts/999", link); }, 0,
         std::filesystem::file_type::not_found},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(link);
        c.make();
        const Outcome r = Shell("sh " + Quoted(serve) + " " + Quoted(link) + " " + kTunerModule);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        EXPECT_EQ(std::filesystem::symlink_status(link).type(), c.left) << c.what;
        if (c.status == 2) {
            EXPECT_EQ(r.err, "tuner-module: " + link.string() +
                                 " is there and is not a link to a pseudo-terminal (/dev/pts/N) "
                                 "as tuner-module makes: remove it or name another LINK\n")
                << c.what;
        } else {
            EXPECT_EQ(r.out.rfind("tuner module on /dev/pts/", 0), 0U) << r.out;
        }
    }
    EXPECT_EQ(ReadFile(serve).rfind("link=$1", 0), 0U);  // the link to it left it whole
}

// An installed tree's default unit is a package's folder: no program writes
// into it in place, whoever runs it (root too), so that removing the package
// leaves nothing behind; a fresh copy of it runs.
TEST_F(ProgramsTest, TheInstalledUnitIsNeverWrittenInPlace) {
    const auto prefix = Work() / "usr";
    const auto unit = prefix / "share/kestrin/units/default";
    std::filesystem::create_directories(unit.parent_path());
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::copy_file(GPS_BIN, prefix / "bin/gps");
    std::filesystem::copy(kDefaultUnit, unit, std::filesystem::copy_options::recursive);
    // As installed: without the files the unit makes from its unit.toml.
    std::vector<std::filesystem::path> generated;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(unit)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".map" || name == "PLOVA.EXE" || name == "VESKFCODE.bin") {
            generated.push_back(entry.path());
        }
    }
    for (const auto& file : generated) {
        std::filesystem::remove(file);
    }
    const auto listing = [&] {
        std::string files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(unit)) {
            files += entry.path().string() + " " +
                     std::to_string(entry.last_write_time().time_since_epoch().count()) + "\n";
        }
        return files;
    };
    const std::string before = listing();
    const std::string why = " is read-only (installed with the programs): ";
    Outcome r = Shell(kKestrin + " --headless --unit " + Quoted(unit));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kestrin: the unit " + unit.string() + why +
                         "run on a copy of it with --fresh-copy\n");
    r = Shell(kGps + " off 12 --unit " + Quoted(unit));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "gps: the unit " + unit.string() + why +
                         "copy it and give the copy with --unit (kestrin --fresh-copy runs on a "
                         "temporary copy)\n");
    EXPECT_EQ(listing(), before);
    r = Shell(kKestrin + " --unit " + Quoted(unit) + " --fresh-copy --script " +
              Quoted(WriteFile("ver.ks", "expect caption \"Kestrin\"\n")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listing(), before);
}

// The temporary folder: TMPDIR named when it cannot take one.
TEST_F(ProgramsTest, KestrinSaysWhyItCannotMakeATemporaryFolder) {
    const Outcome r = Shell("TMPDIR=/nonexistent " + kKestrin + " --headless");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "kestrin: cannot make a temporary folder in /nonexistent (TMPDIR): No such file or "
              "directory\n");
}

// Nothing of the build tree is compiled in: a copy of the program elsewhere
// finds no unit until one is beside it.
TEST_F(ProgramsTest, KestrinFindsItsDefaultUnitBesideItselfOnly) {
    const auto bin = Work() / "elsewhere";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(KESTRIN_BIN, bin / "kestrin");
    const std::string kestrin = Program(bin / "kestrin");
    Outcome r = Shell(kestrin + " --headless");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kestrin: no default unit (looked in " +
                         (Work() / "share/kestrin/units/default").string() + ", " +
                         (bin / "units/default").string() +
                         "): give --unit DIR or set KESTRIN_UNIT_DIR\n");

    std::filesystem::create_directory_symlink(kDefaultUnit.parent_path(), bin / "units");
    const auto script = WriteFile("caption.script", "expect caption \"Kestrin\"\n");
    r = Shell(kestrin + " --script " + Quoted(script));
    EXPECT_EQ(r.status, 0) << r.err;
}

// The bench's pipeline (`redsea -x | kestrin ...`): a decoder's groups on
// standard input reach the RDS tool of a script on the wall clock. The feed
// repeats the groups, as a station does, until the program has gone.
TEST_F(ProgramsTest, KestrinTakesAStationsGroupsFromAPipe) {
    const auto dir = CopyOfDefault("unit", "[[com.station]]\nfrequency = 900\ngroups = \"-\"\n");
    const auto groups = WriteFile("groups.hex",
                                  "<redsea -x>\n"
                                  "6204 0130 966B 594C\n"
                                  "6204 0131 93CD 4520\n"
                                  "6204 ---- E472 5833\n"
                                  "6204 0132 E472 5833\n"
                                  "6204 0137 966B 4D20\n");
    const auto script = WriteFile("live.ks", R"(tab 6
click 1047
click 1079
key End
key Backspace
key Backspace
key Backspace
type 1079 900
click 1060
expect text 1086 "YLE X3M " within 5000
expect text 1087 "0x6204"
close
expect caption "Kestrin" within 3000
)");
    const Outcome r = Shell(
        kKestrin + " --headless --real-time --unit " + Quoted(dir) + " --script " + Quoted(script),
        "while cat " + Quoted(groups) + "; do sleep 0.2; done 2>/dev/null");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 passed, 0 failed\n");
}

}  // namespace
}  // namespace host::test
