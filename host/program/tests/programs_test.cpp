// The built programs themselves, as a shell runs them: exit statuses and
// what they write where.
#include <sys/wait.h>

#include <cstdlib>
#include <utility>

#include "program_fixture.h"
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

const std::string kKestrin = "'" KESTRIN_BIN "'";
const std::string kGps = "'" GPS_BIN "'";
const std::string kTunerModule = "'" TUNER_MODULE_BIN "'";

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
    const auto line = std::get<std::shared_ptr<const script::Pattern>>(
        script::Pattern::Compile(R"(\d+\.\d+\.\d+( \(git [0-9a-f]{7,}\))?\n)"));
    for (const auto& [program, name] : {std::pair{kKestrin, "kestrin "}, std::pair{kGps, "gps "},
                                        std::pair{kTunerModule, "tuner-module "}}) {
        const Outcome r = Shell(program + " --version");
        EXPECT_EQ(r.status, 0) << program;
        ASSERT_EQ(r.out.rfind(name, 0), 0U) << r.out;
        EXPECT_TRUE(line->Match(r.out.substr(std::string(name).size())).matched) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

// Nothing of the build tree is compiled in: a copy of the program elsewhere
// finds no unit until one is beside it.
TEST_F(ProgramsTest, KestrinFindsItsDefaultUnitBesideItselfOnly) {
    const auto bin = Work() / "elsewhere";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(KESTRIN_BIN, bin / "kestrin");
    const std::string kestrin = Quoted(bin / "kestrin");
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
