// Scripts on the wall clock against devices on real lines: the RDS tool and
// a slow tuner module on a pseudo-terminal, the GPS window fed through one at
// 4800 baud. Each waits for answers with `expect ... within`, never for a
// fixed time; the bounds are wide, for a loaded machine answers late and a
// pass never waits for them.
#include <unistd.h>

#include <atomic>
#include <thread>

#include "host/com7/module_server.h"
#include "host/com7/station.h"
#include "kestrin_tree.h"
#include "program_fixture.h"

namespace host::test {
namespace {

class RealTimeTest : public ProgramTest {
  protected:
    Outcome RunScript(const std::filesystem::path& unitDir, const std::string& text) {
        KestrinOptions o;
        o.unitDir = unitDir;
        o.realTime = true;
        o.scripts = {WriteFile("run.ks", text)};
        std::ostringstream out;
        std::ostringstream err;
        Outcome r;
        r.status = RunKestrin(o, {kDefaultUnit, {}}, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
};

TEST_F(RealTimeTest, TheRdsToolWaitsForASlowModuleOnARealLine) {
    std::string device;
    int error = 0;
    unit::UniqueFd line = com7::OpenPseudoTerminal(&device, &error);
    ASSERT_TRUE(line.valid()) << error;
    com7::ModuleConfig config;
    config.version = {1, 4, 2};
    com7::Station station;
    station.frequency = 1003;
    station.level = 55;
    station.pi = 0xE203;
    station.ps = *com7::EncodePsName("RADIO 3");
    config.stations.push_back(station);
    const com7::ModuleServer module(std::move(line), config,
                                    {.replyDelay = std::chrono::milliseconds(400)});
    const auto unitDir = CopyOfDefault("unit");
    EditToml(unitDir, "[com]\n", "[com]\ndevice = \"" + device + "\"\n");

    const Outcome r = RunScript(unitDir, R"(tab 6
click 1047
expect caption "RDS Tool"
click 1079
key End
key Backspace
key Backspace
key Backspace
type 1079 1003
click 1060
expect check 1062 1 within 10000
expect text 1086 "RADIO 3 " within 10000
expect text 1087 "0xE203"
click 1066
expect text 1082 "55" within 10000
click 1069
expect text 1088 "0x5601" within 10000
expect text 1085 "2"
close
expect caption "Kestrin" within 10000
)");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 passed, 0 failed\n");
    EXPECT_GT(module.BytesReceived(), 0U);
}

TEST_F(RealTimeTest, TheGpsWindowShowsAReceiverOnA4800BaudLine) {
    std::string device;
    int error = 0;
    unit::UniqueFd line = com7::OpenPseudoTerminal(&device, &error);
    ASSERT_TRUE(line.valid()) << error;
    const auto unitDir = CopyOfDefault("unit");
    EditToml(unitDir, "source = \"file\"", "source = \"serial\"\ndevice = \"" + device + "\"");
    EditToml(unitDir, "baud = 9600", "baud = 4800");

    // The receiver: a recorded log (its sentences, each ended by CR LF as a
    // receiver sends them), at the line's 480 bytes a second.
    std::istringstream recorded(
        ReadFile(std::filesystem::path(KESTRIN_TESTDATA_DIR) / "nmea" / "bu353s4.log"));
    std::string log;
    for (std::string sentence; std::getline(recorded, sentence);) {
        if (sentence.starts_with('$')) {
            log += sentence + "\r\n";
        }
    }
    std::atomic<bool> stop{false};
    std::thread receiver([&] {
        constexpr std::size_t kBytesPerTenth = 48;
        for (std::size_t at = 0; !stop.load(); at = (at + kBytesPerTenth) % log.size()) {
            const std::size_t n = std::min(kBytesPerTenth, log.size() - at);
            static_cast<void>(::write(line.get(), log.data() + at, n));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const Outcome r = RunScript(unitDir, R"ks(tab 6
click 1058
expect match 1058 "Date\\(UTC\\):31/12/2014 \\(WED\\)   TIME:03:[0-5]\\d:[0-5]\\d\r\nS:37d 47m [\\s\\S]*" within 8000
close
expect caption "Kestrin" within 3000
)ks");
    stop = true;
    receiver.join();
    EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
}  // namespace host::test
