// gps on a copy of the default unit: the driver switch seen from the unit's
// device table and registry, its messages on the error stream, and where it
// takes the unit from.
#include <utility>

#include "host/components.h"
#include "host/gps_program.h"
#include "host/unit/virtual_unit.h"
#include "program_fixture.h"

namespace host::test {
namespace {

class GpsProgramTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        unitDir_ = CopyOfDefault("unit");
    }

    Outcome Gps(std::vector<std::string_view> words, bool withUnit = true,
                std::optional<std::string> env = std::nullopt) {
        const std::string dir = unitDir_.string();
        if (withUnit) {
            words.emplace_back("--unit");
            words.emplace_back(dir);
        }
        std::ostringstream err;
        Outcome o;
        o.status = RunGps(words, std::move(env), err);
        o.err = err.str();
        return o;
    }

    // What a program loading the unit now finds.
    bool DevicePresent(std::string_view device) {
        auto loaded = unit::LoadUnit(unitDir_, HostComponents());
        EXPECT_TRUE(loaded.ok()) << loaded.error().Text();
        return loaded && (*loaded)->DevicePresent(device);
    }
    bool ActiveKey(const std::string& entry) {
        auto loaded = unit::LoadUnit(unitDir_, HostComponents());
        EXPECT_TRUE(loaded.ok()) << loaded.error().Text();
        return loaded && (*loaded)->RegistryKeyExists("Drivers\\Active\\" + entry);
    }

    std::filesystem::path unitDir_;
};

TEST_F(GpsProgramTest, OffAndOnAgainAsTheDeviceTableSeesIt) {
    ASSERT_TRUE(DevicePresent("GPS1:"));
    Outcome r = Gps({"off", "12"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(ActiveKey("12"));
    EXPECT_FALSE(DevicePresent("GPS1:"));
    EXPECT_TRUE(DevicePresent("COM7:")) << "only that driver goes";

    r = Gps({"off", "12"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: No existe ese dispositivo\n");

    r = Gps({"on", "GPS"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(DevicePresent("GPS1:"));
}

TEST_F(GpsProgramTest, CommandLinesAndTheirMessages) {
    struct Case {
        std::vector<std::string_view> words;
        int status;
        const char* err;
    };
    const std::string longName(256, 'G');
    const std::vector<Case> cases = {
        {{}, 1, "Error: Parametros incorrectos\n"},
        {{"on"}, 1, "Error: Parametros incorrectos\n"},
        {{"on", ""}, 1, "Error: Parametros incorrectos\n"},
        {{"on", longName}, 1, "Error: Parametros incorrectos\n"},
        {{"ON", "GPS"}, 0, ""},
        {{"off", "99"}, 1, "Error: No existe ese dispositivo\n"},
        {{"on", "NOSUCH"}, 0, ""},
        {{"off  12"}, 1, "Error: No existe ese dispositivo\n"},  // the name is " 12"
    };
    for (const Case& k : cases) {
        const Outcome r = Gps(k.words);
        EXPECT_EQ(r.status, k.status) << k.err;
        EXPECT_EQ(r.err, k.err);
    }
    EXPECT_TRUE(ActiveKey("12")) << "nothing was switched off";
}

TEST_F(GpsProgramTest, TheUnitComesFromTheCommandLineOrTheEnvironmentOnly) {
    const std::string usage = "--unit DIR";
    Outcome r = Gps({"off", "12"}, false);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(usage), std::string::npos) << r.err;
    r = Gps({"off", "12"}, false, std::string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(usage), std::string::npos) << r.err;
    r = Gps({"off", "12", "--unit"}, false, unitDir_.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(usage), std::string::npos) << r.err;
    EXPECT_TRUE(ActiveKey("12"));

    r = Gps({"off", "12"}, false, unitDir_.string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(ActiveKey("12"));

    r = Gps({"on", "GPS", "--unit", (Work() / "missing").string()}, false, unitDir_.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace host::test
