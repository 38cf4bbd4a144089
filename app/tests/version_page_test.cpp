// The "Ver" page's three texts from the unit's driver and files.
#include <optional>
#include <string>
#include <vector>

#include "console_fixture.h"

namespace kestrin_test {
namespace {

std::string FsFile(const std::string& path, const std::string& extra) {
    return "[[fs.file]]\npath = \"" + path + "\"\n" + extra;
}

const std::string kExe = FsFile("\\\\Mounted Volume\\\\Vesk\\\\PLOVA\\\\PLOVA.EXE",
                                "size = 2387968\nmtime = \"2006-02-14T09:30:12\"\n");
const std::string kMaps = FsFile("\\\\Mounted Volume\\\\Vesk\\\\Iberia.map",
                                 "size = 1234\nmtime = \"2006-03-05T14:07:09\"\n") +
                          FsFile("\\\\Mounted Volume\\\\Vesk\\\\Francia.map",
                                 "size = 61865984\nmtime = \"2006-12-31T23:59:58\"\n");
const std::string kExeEntry = "PLOVA.EXE \r\n  14/02/2006 09:30:12     2387968byte\r\n";
const std::string kMapEntries =
    "Francia.map \r\n  31/12/2006 23:59:58    61865984byte\r\n"
    "Iberia.map \r\n  05/03/2006 14:07:09        1234byte\r\n";

struct VersionCase {
    const char* name;
    std::string toml;
    std::optional<std::string> ini;  // \windows\VeskApp.ini
    std::optional<std::string> system;
    std::optional<std::string> factoryCode;
    std::optional<std::string> navi;
};

TEST_F(ConsoleTest, VersionPageTexts) {
    const std::string fcode = FsFile("\\\\Mounted Volume2\\\\VESKFCODE.bin",
                                     "hex = \"4b 4e 33 35 06 03 21 7f a0 11 c4 09\"\n");
    const std::vector<VersionCase> cases = {
        {"everything there", "[inf]\nmajor = 1\nminor = 2\n" + fcode + kExe + kMaps,
         "[VeskApp]\r\nVersion=2.01\r\n", "System version : 1.2\r\n[VeskApp]\r\nVersion=2.01\r\n",
         "4B4E3335-0603217F", kExeEntry + kMapEntries},
        {"halves are unsigned", "[inf]\nmajor = 65535\nminor = 40000\n", std::nullopt,
         "System version : 65535.40000\r\n", std::nullopt, std::nullopt},
        {"no information driver: the ini text follows on the same line", "[inf]\nabsent = true\n",
         "ini text", "System version : ----ini text", std::nullopt, std::nullopt},
        {"version request fails", "[inf.fail]\nioctl = 31\n", "ini text",
         "System version : ----\r\nini text", std::nullopt, std::nullopt},
        {"ini that cannot be read", "[kernel.fail]\n\"readfile:\\\\windows\\\\VeskApp.ini\" = 30\n",
         "ini text", "System version : 1.2\r\n\r\n", std::nullopt, std::nullopt},
        {"ini ends at its first zero byte", "", std::string("abc\0def", 7),
         "System version : 1.2\r\nabc", std::nullopt, std::nullopt},
        {"ini beyond 128 bytes is cut", "", std::string(200, 'i'),
         "System version : 1.2\r\n" + std::string(128, 'i'), std::nullopt, std::nullopt},
        {"ini widened from the code page", "",
         "Fran\xE7"
         "ais \x80",
         "System version : 1.2\r\nFran\xC3\xA7"
         "ais \xE2\x82\xAC",
         std::nullopt, std::nullopt},
        {"factory code of three bytes",
         FsFile("\\\\Mounted Volume2\\\\VESKFCODE.bin", "hex = \"ab cd ef\"\n"), std::nullopt,
         std::nullopt, "ABCDEF00-00000000", std::nullopt},
        {"empty factory code file", FsFile("\\\\Mounted Volume2\\\\VESKFCODE.bin", "text = \"\"\n"),
         std::nullopt, std::nullopt, "00000000-00000000", std::nullopt},
        {"no factory code file", "", std::nullopt, std::nullopt, "Not Found!!", std::nullopt},
        {"factory code that cannot be read",
         fcode + "[kernel.fail]\n\"readfile:\\\\Mounted Volume2\\\\VESKFCODE.bin\" = 30\n",
         std::nullopt, std::nullopt, "xxxxxxxxx-xxxxxxxx", std::nullopt},
        {"executable missing, two maps", kMaps, std::nullopt, std::nullopt, std::nullopt,
         "PLOVA.EXE not find!!" + kMapEntries},
        {"nothing installed", "", std::nullopt, std::nullopt, std::nullopt, "PLOVA.EXE not find!!"},
        {"executable found whatever its case",
         FsFile("\\\\Mounted Volume\\\\Vesk\\\\plova\\\\plova.exe",
                "size = 10\nmtime = \"2006-02-14T09:30:12\"\n"),
         std::nullopt, std::nullopt, std::nullopt,
         "plova.exe \r\n  14/02/2006 09:30:12          10byte\r\n"},
        {"size wider than ten digits",
         FsFile("\\\\Mounted Volume\\\\Vesk\\\\World.map",
                "size = 12345678901\nmtime = \"2006-03-05T14:07:09\"\n"),
         std::nullopt, std::nullopt, std::nullopt,
         "PLOVA.EXE not find!!World.map \r\n  05/03/2006 14:07:09  12345678901byte\r\n"},
        {"times that cannot be converted", kExe + "[kernel.fail]\nfiletimetosystemtime = 87\n",
         std::nullopt, std::nullopt, std::nullopt,
         "PLOVA.EXE \r\n  --/--/---- --:--:--     2387968byte\r\n"},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        if (c.ini) {
            unitDir->File("\\windows\\VeskApp.ini", *c.ini);
        }
        StartUnit(c.toml);
        RecordMessageBoxes();
        StepCall([this, &c] {
            if (c.system) {
                EXPECT_EQ(Text(kSystemVersion), *c.system);
            }
            if (c.factoryCode) {
                EXPECT_EQ(Text(kFactoryCode), *c.factoryCode);
            }
            if (c.navi) {
                EXPECT_EQ(Text(kNaviFiles), *c.navi);
            }
        });
        RunConsole();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{}) << "every failure is text on the page";
        // Only the console's own "PWM1:" and "NAT1:" stay open.
        EXPECT_EQ(Unit().OpenHandles(), 2);
    }
}

// Every text is built once: later changes on the unit do not show.
TEST_F(ConsoleTest, VersionPageIsNotRefreshed) {
    unitDir->File("\\windows\\VeskApp.ini", "first");
    StartUnit();
    StepWait(1000);
    StepCall([this] { Unit().SetDeviceAbsent("INF1:", true); });
    StepWait(1000);
    StepCall([this] { EXPECT_EQ(Text(kSystemVersion), "System version : 1.2\r\nfirst"); });
    RunConsole();
}

}  // namespace
}  // namespace kestrin_test
