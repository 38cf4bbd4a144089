// Two consoles at once in one process, each on its own unit and its own
// thread: each run's calls reach its own unit, windows, message boxes and
// clock, whatever the other does meanwhile.
#include <string>
#include <thread>
#include <vector>

#include "program_fixture.h"

namespace host::test {
namespace {

// The console's start, the shipping page (its question answered OK or
// CANCEL), then the RDS tool: a tune to 100.3 MHz and a seek up round the
// band. $1: the battery's read-out, $2: the answer and what follows it, $3:
// the station's name, $4: the seek's debug line.
constexpr const char* kConsoleScript = R"(expect caption "Kestrin"
expect debug "ICMR:04000d00\r\n"
wait 500
expect text 1051 "$1"
tab 1
click 1101
expect msgbox "Would you like to start initialize?"
answer $2
expect nomsgbox
tab 6
click 1047
expect caption "RDS Tool"
click 1079
key End
key Backspace
key Backspace
key Backspace
type 1079 1003
click 1060
wait 1500
expect text 1086 "$3"
click 1092
click 1061
wait 2000
expect text 1079 "889"
expect debug "$4"
close
expect nomsgbox
expect caption "Kestrin"
)";

std::string ConsoleScript(const std::vector<std::string>& values) {
    std::string s = kConsoleScript;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string mark = "$" + std::to_string(i + 1);
        s.replace(s.find(mark), mark.size(), values[i]);
    }
    return s;
}

class SideBySideTest : public ProgramTest {
  protected:
    struct Console {
        std::filesystem::path unit;
        KestrinOptions options;
        Outcome outcome;
    };

    Console Prepare(const std::string& name, const std::string& script) {
        Console c;
        c.unit = CopyOfDefault(name);
        const auto volume2 = c.unit / "fs" / "Mounted Volume2";
        std::ofstream(volume2 / "Pathkit.ini", std::ios::binary)
            << "[Pathkit]\nUnit=" << name << '\n';
        std::ofstream(volume2 / ".vesk", std::ios::binary) << name;
        c.options.headless = true;
        c.options.scripts = {WriteFile(name + ".script", script)};
        c.options.unitDir = c.unit;
        return c;
    }

    static void Run(Console* c) {
        std::ostringstream out;
        std::ostringstream err;
        c->outcome.status = RunKestrin(c->options, {kDefaultUnit, {}}, out, err);
        c->outcome.out = out.str();
        c->outcome.err = err.str();
    }
};

TEST_F(SideBySideTest, TwoConsolesOnTwoUnitsSeeOnlyTheirOwn) {
    // Unit b differs in what each check reads: its battery, the station on
    // 100.3 MHz, the tuner's seek pace; and its technician cancels the
    // shipping.
    Console a =
        Prepare("a", ConsoleScript({"3912", "OK\nexpect msgbox \"Initialize OK.\"\nanswer OK",
                                    "RADIO 3 ", "[RDS]Seek time = 1386ms\\r\\n"}));
    Console b =
        Prepare("b", ConsoleScript({"3650", "CANCEL", "RADIO B ", "[RDS]Seek time = 926ms\\r\\n"}));
    EditToml(b.unit, "battery_mv = 3912", "battery_mv = 3650");
    EditToml(b.unit, "ps = \"RADIO 3\"", "ps = \"RADIO B\"");
    EditToml(b.unit, "seek_step_ms = 15", "seek_step_ms = 10");

    std::thread first(Run, &a);
    std::thread second(Run, &b);
    first.join();
    second.join();

    for (const Console* c : {&a, &b}) {
        SCOPED_TRACE(c->unit.filename().string());
        EXPECT_EQ(c->outcome.status, 0) << c->outcome.out << c->outcome.err;
        EXPECT_EQ(c->outcome.err, "");
    }
    // The shipping ran on a alone: its own settings restored, its marker
    // deleted; b keeps both as they were.
    const auto plova = std::filesystem::path("fs") / "Mounted Volume" / "Vesk" / "PLOVA";
    EXPECT_EQ(ReadFile(a.unit / plova / "Pathkit.ini"), "[Pathkit]\nUnit=a\n");
    EXPECT_FALSE(std::filesystem::exists(a.unit / "fs" / "Mounted Volume2" / ".vesk"));
    EXPECT_EQ(ReadFile(b.unit / plova / "Pathkit.ini"),
              ReadFile(kDefaultUnit / plova / "Pathkit.ini"));
    EXPECT_EQ(ReadFile(b.unit / "fs" / "Mounted Volume2" / ".vesk"), "b");
}

}  // namespace
}  // namespace host::test
