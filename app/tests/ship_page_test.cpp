// The console's "Ship" page: restoring and deleting exactly the navigation
// application's files, on a unit that also holds user files and decoys.
#include "touch_console_fixture.h"

namespace touch_test {
namespace {

using console_id::kPageShip;
using console_id::kShipInit;

constexpr char kQuestion[] = "Would you like to start initialize?";
constexpr char kDone[] = "Initialize OK.";

constexpr std::string_view kRoutes = "\\Mounted Volume\\Vesk\\plova\\Settings\\Routes\\";
// On disk the application's folder is spelt as the version page spells it.
constexpr char kApp[] = "\\Mounted Volume\\Vesk\\PLOVA\\";
constexpr char kSettings[] = "\\Mounted Volume\\Vesk\\PLOVA\\Settings\\";
constexpr char kRoutesOnDisk[] = "\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\";
constexpr char kLog[] = "\\Mounted Volume2\\Log\\";

std::string Repeat(char c, std::size_t n) {
    // Braces would take the initializer-list constructor: two characters.
    return std::string(n, c);  // NOLINT(modernize-return-braced-init-list)
}

// Route names whose folder and name together take exactly this many wide
// characters.
std::string RouteOfLength(std::size_t total, char fill) {
    return Repeat(fill, total - kRoutes.size() - 4) + ".rte";
}
// 39 two-byte characters: 255 bytes on the host, 216 wide characters.
std::string AccentedRoute() {
    std::string name;
    for (int i = 0; i < 39; ++i) {
        name += "\xC3\xA9";  // e acute
    }
    return name + Repeat('a', 216 - 39 - 4) + ".rte";
}
// A character outside the basic plane takes two wide characters.
std::string RouteWithSurrogates() {
    return Repeat('s', 260 - kRoutes.size() - 2 - 4) + "\xF0\x9F\x98\x80.rte";
}

// "\Mounted Volume2\Log\a.log" -> the key of Listing().
std::string Key(const std::string& unitPath) {
    std::string key = unitPath.substr(1);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

struct ShipCase {
    const char* name;
    const char* toml;
    int answer;
    bool logsGo;
    std::vector<std::string> missing;  // listed files the unit lacks
};

class ShipTest : public ConsoleTest {
  protected:
    // Every listed file, factory copies, user files and decoys.
    void Populate(const std::vector<std::string>& missing) {
        std::map<std::string, std::string> files = {
            {"\\Mounted Volume2\\Pathkit.ini", "factory pathkit"},
            {"\\Mounted Volume2\\SystemPrefs.xml", "factory prefs"},
            {"\\Mounted Volume2\\OwnerInfo.xml", "factory owner"},
            {std::string(kApp) + "Pathkit.ini", "user pathkit"},
            {std::string(kSettings) + "SystemPrefs.xml", "user prefs"},
            {std::string(kSettings) + "OwnerInfo.xml", "user owner"},
            {"\\Mounted Volume2\\.vesk", "first-run=0"},
            {std::string(kApp) + "unit.xml", "serial"},
            {std::string(kApp) + "roadfeed.pil", "feed"},
            {std::string(kSettings) + "History.storage", "history"},
            {std::string(kSettings) + "Bookmarks.storage", "bookmarks"},
            {std::string(kSettings) + "Profile.xml", "profile"},
            {std::string(kSettings) + "Profile.old", "old profile"},
            {std::string(kSettings) + "ProfileLocale.xml", "locale"},
            {std::string(kSettings) + "ProfileLocale.old", "old locale"},
            // Routes: matches, near misses and a folder that matches.
            {std::string(kRoutesOnDisk) + "Casa.rte", "route 1"},
            {std::string(kRoutesOnDisk) + "OFICINA.RTE", "route 2"},
            {std::string(kRoutesOnDisk) + RouteOfLength(259, 'r'), "longest route"},
            {std::string(kRoutesOnDisk) + AccentedRoute(), "accented route"},
            {std::string(kRoutesOnDisk) + RouteOfLength(260, 'q'), "too long"},
            {std::string(kRoutesOnDisk) + RouteWithSurrogates(), "too long too"},
            {std::string(kRoutesOnDisk) + "trip.rtex", "not a route"},
            {std::string(kRoutesOnDisk) + "trip.rte.bak", "backup"},
            {std::string(kRoutesOnDisk) + "rte", "no extension"},
            {std::string(kRoutesOnDisk) + "notes.txt", "notes"},
            {std::string(kRoutesOnDisk) + "kept.rte\\inner.rte", "inside a folder"},
            // Logs.
            {std::string(kLog) + "gps_0001.log", "gps log"},
            {std::string(kLog) + "SYSTEM.LOG", "system log"},
            {std::string(kLog) + "readme.txt", "rotated"},
            {std::string(kLog) + "old.logx", "not a log"},
            {std::string(kLog) + "archive.log\\inner.log", "inside a folder"},
            // Look-alikes elsewhere.
            {std::string(kSettings) + "elsewhere.rte", "outside the routes"},
            {"\\Mounted Volume2\\elsewhere.log", "outside the logs"},
            {std::string(kApp) + "unit.xml.bak", "backup"},
            {std::string(kSettings) + "Profile.xml.1", "backup"},
            {"\\Mounted Volume\\Vesk\\Pathkit.ini", "another pathkit"},
            {"\\Mounted Volume\\Vesk\\calib.dat", "CalibrationData=1,1 1,1 1,1 1,1 1,1\r\n"},
            {"\\windows\\VeskApp.ini", "[Vesk]"},
        };
        for (const std::string& m : missing) {
            files.erase(m);
        }
        for (const auto& [path, content] : files) {
            t->File(path, content);
        }
    }

    // Runs "Init" with one answer to the question; returns the listings
    // before and after.
    std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> RunInit(
        int answer) {
        std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> out;
        steps().AddCall([&, answer] {
            out.first = Listing();
            t->unit().ClearDebugLines();
            AnswerBoxes({answer});
        });
        StepSelectPage(kPageShip);
        StepClick(kShipInit);
        steps().AddCall([&] { out.second = Listing(); });
        console->DoModal();
        return out;
    }

    std::vector<std::string> ShipDebugLines() {
        std::vector<std::string> lines;
        for (const std::string& line : t->unit().DebugLines()) {
            if (line.find("InitializeForShipping") != std::string::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    }
};

TEST_F(ShipTest, RestoresAndDeletesExactlyTheApplicationsFiles) {
    const std::string restoredPrefs = std::string(kSettings) + "SystemPrefs.xml";
    const std::vector<ShipCase> cases = {
        {"Cancel", "", ui::IDCANCEL, false, {}},
        {"OK", "", ui::IDOK, true, {}},
        {"OK, LOG1: absent", "[log]\nabsent = true\n", ui::IDOK, false, {}},
        {"OK, LOG1: refuses", "[log]\nrefuse = true\n", ui::IDOK, false, {}},
        {"OK, LOG1: answers 2", "[log]\nresult = 2\n", ui::IDOK, false, {}},
        {"OK, a factory copy missing", "", ui::IDOK, true, {"\\Mounted Volume2\\SystemPrefs.xml"}},
        {"OK, a working copy missing", "", ui::IDOK, true, {std::string(kApp) + "Pathkit.ini"}},
    };
    for (const ShipCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        t->Toml(c.toml);
        Populate(c.missing);
        Load();
        const auto [before, after] = RunInit(c.answer);
        ASSERT_FALSE(before.empty());

        std::map<std::string, std::string> expected = before;
        if (c.answer == ui::IDOK) {
            const std::pair<const char*, std::string> restores[] = {
                {"\\Mounted Volume2\\Pathkit.ini", std::string(kApp) + "Pathkit.ini"},
                {"\\Mounted Volume2\\SystemPrefs.xml", std::string(kSettings) + "SystemPrefs.xml"},
                {"\\Mounted Volume2\\OwnerInfo.xml", std::string(kSettings) + "OwnerInfo.xml"},
            };
            for (const auto& [from, to] : restores) {
                if (before.contains(Key(from))) {
                    expected[Key(to)] = before.at(Key(from));
                }
            }
            for (const std::string& gone : {
                     std::string("\\Mounted Volume2\\.vesk"),
                     std::string(kApp) + "unit.xml",
                     std::string(kApp) + "roadfeed.pil",
                     std::string(kSettings) + "History.storage",
                     std::string(kSettings) + "Bookmarks.storage",
                     std::string(kSettings) + "Profile.xml",
                     std::string(kSettings) + "Profile.old",
                     std::string(kSettings) + "ProfileLocale.xml",
                     std::string(kSettings) + "ProfileLocale.old",
                     std::string(kRoutesOnDisk) + "Casa.rte",
                     std::string(kRoutesOnDisk) + "OFICINA.RTE",
                     std::string(kRoutesOnDisk) + RouteOfLength(259, 'r'),
                     std::string(kRoutesOnDisk) + AccentedRoute(),
                 }) {
                expected.erase(Key(gone));
            }
            if (c.logsGo) {
                expected.erase(Key(std::string(kLog) + "gps_0001.log"));
                expected.erase(Key(std::string(kLog) + "SYSTEM.LOG"));
            }
        }
        EXPECT_EQ(after, expected);

        std::vector<std::string> texts;
        for (const auto& box : boxes) {
            texts.push_back(box.text);
            EXPECT_EQ(box.caption, "Kestrin");
        }
        if (c.answer == ui::IDOK) {
            ASSERT_EQ(texts, (std::vector<std::string>{kQuestion, kDone}));
            EXPECT_EQ(boxes[1].type, ui::MB_OK | ui::MB_ICONINFORMATION);
            EXPECT_EQ(ShipDebugLines(),
                      (std::vector<std::string>{
                          "Path too long!::InitializeForShipping " + std::string(kRoutes) +
                              RouteOfLength(260, 'q') + "\r\n",
                          "Path too long!::InitializeForShipping " + std::string(kRoutes) +
                              RouteWithSurrogates() + "\r\n",
                      }));
        } else {
            EXPECT_EQ(texts, (std::vector<std::string>{kQuestion}));
            EXPECT_TRUE(ShipDebugLines().empty());
        }
        EXPECT_EQ(boxes[0].type, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
    }
}

TEST_F(ShipTest, AUnitWithNoneOfTheFilesStillEndsWithInitializeOK) {
    t->File("\\Mounted Volume\\Vesk\\calib.dat", "x");
    Load();
    const auto [before, after] = RunInit(ui::IDOK);
    EXPECT_EQ(after, before);
    std::vector<std::string> texts;
    for (const auto& box : boxes) {
        texts.push_back(box.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{kQuestion, kDone}));
}

}  // namespace
}  // namespace touch_test
