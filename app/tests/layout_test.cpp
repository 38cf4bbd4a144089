// Where every control ends up, which page shows, and the radio groups.
#include <algorithm>
#include <string>
#include <vector>

#include "console_fixture.h"

namespace kestrin_test {
namespace {

struct Placed {
    int id;
    ui::Rect rect;  // client pixels
};

// Controls moved to fixed places.
const std::vector<Placed> kFixed = {
    {1057, {5, 25, 35, 37}},     {1009, {40, 25, 305, 45}},   {1044, {5, 50, 35, 62}},
    {1002, {40, 50, 305, 100}},  {1045, {5, 105, 35, 117}},   {1003, {40, 105, 305, 205}},
    {1046, {50, 50, 200, 80}},   {1096, {50, 100, 200, 130}}, {1047, {50, 50, 200, 80}},
    {1058, {50, 100, 200, 130}}, {1000, {0, 0, 319, 215}},
};

struct Kept {
    int id;
    int x, y, cx, cy;  // template, dialog units
};

struct Group {
    Kept box;
    ui::Point place;  // where the group box goes, client pixels
    std::vector<Kept> members;
};

// Group boxes moved as a whole: members keep their distance from the box.
const std::vector<Group> kGroups = {
    {{1100, 17, 191, 23, 8}, {50, 50}, {{1101, 45, 188, 50, 14}}},
    {{1008, 125, 5, 140, 45},
     {20, 25},
     {{1010, 139, 15, 40, 10},
      {1017, 185, 15, 35, 10},
      {1018, 185, 25, 35, 10},
      {1019, 139, 25, 35, 10},
      {1021, 139, 35, 47, 10},
      {1004, 230, 15, 30, 15},
      {1059, 125, 55, 100, 25},
      {1020, 135, 65, 35, 10},
      {1016, 185, 65, 35, 10},
      {1050, 125, 90, 30, 10},
      {1051, 155, 90, 35, 12},
      {1052, 195, 90, 15, 10}}},
    {{1022, 125, 115, 165, 55},
     {20, 25},
     {{1023, 135, 125, 30, 10},
      {1024, 135, 135, 40, 10},
      {1025, 135, 145, 30, 10},
      {1026, 135, 155, 55, 10},
      {1027, 195, 125, 44, 10},
      {1028, 195, 135, 45, 10},
      {1029, 195, 145, 50, 10},
      {1030, 195, 156, 59, 10},
      {1005, 250, 125, 30, 15},
      {1035, 125, 175, 75, 10},
      {1032, 210, 175, 30, 15},
      {1034, 125, 195, 80, 10},
      {1033, 210, 195, 30, 15}}},
    {{1036, 315, 5, 95, 85},
     {20, 25},
     {{1037, 325, 15, 35, 9},
      {1038, 325, 25, 35, 9},
      {1039, 325, 34, 35, 9},
      {1040, 325, 45, 35, 9},
      {1041, 325, 55, 35, 9},
      {1042, 325, 65, 35, 9},
      {1043, 325, 74, 35, 9},
      {1006, 375, 15, 30, 15},
      {1007, 375, 70, 30, 15},
      {1054, 435, 5, 30, 10},
      {1053, 435, 15, 30, 77},
      {1055, 465, 20, 20, 10},
      {1056, 465, 80, 20, 10}}},
};

ui::Rect Pixels(const Kept& k) {
    return ui::DluRectToPixels(k.x, k.y, k.cx, k.cy);
}

TEST_F(ConsoleTest, EveryControlInItsPlace) {
    StartUnit();
    StepCall([this] {
        for (const Placed& p : kFixed) {
            EXPECT_EQ(ClientRect(p.id), p.rect) << p.id;
        }
        for (const Group& g : kGroups) {
            const ui::Rect box = Pixels(g.box);
            const ui::Rect placedBox = ClientRect(g.box.id);
            EXPECT_EQ(placedBox, box.Offset(g.place.x - box.left, g.place.y - box.top)) << g.box.id;
            for (const Kept& m : g.members) {
                const ui::Rect expected =
                    Pixels(m).Offset(placedBox.left - box.left, placedBox.top - box.top);
                const ui::Rect actual = ClientRect(m.id);
                EXPECT_EQ(actual.left, expected.left) << m.id;
                EXPECT_EQ(actual.top, expected.top) << m.id;
                EXPECT_EQ(actual.Height(), expected.Height()) << m.id;
                if (m.id != kDuty) {  // the spin takes its room from the duty edit
                    EXPECT_EQ(actual.Width(), expected.Width()) << m.id;
                }
            }
        }
        // The spin sits on its buddy's right edge.
        const ui::Rect duty = ClientRect(kDuty);
        const ui::Rect spin = ClientRect(kDutySpin);
        EXPECT_EQ(spin.top, duty.top);
        EXPECT_EQ(spin.left, duty.right - 2);
        EXPECT_EQ(spin.Width(), Pixels({0, 240, 175, 11, 15}).Width());
    });
    RunConsole();
}

// Group boxes and the tab lie below their pages' controls.
TEST_F(ConsoleTest, FramesLieBelowThePages) {
    StartUnit();
    StepCall([this] {
        const std::vector<ui::HWND> order = desktop->Children(ConsoleHwnd());
        const auto depth = [&](int id) {
            const auto it = std::find(order.begin(), order.end(), desktop->FindControl(id));
            return it - order.begin();
        };
        EXPECT_EQ(depth(kTab), static_cast<long>(order.size()) - 1);
        for (const auto& ids : PageControls()) {
            for (int frame : {kShipLabel, kDiagGroup, kMutingGroup, kLcdGroup, kSineGroup}) {
                if (std::find(ids.begin(), ids.end(), frame) == ids.end()) {
                    continue;
                }
                for (int id : ids) {
                    const bool frameOfPage = id == kShipLabel || id == kDiagGroup ||
                                             id == kMutingGroup || id == kLcdGroup ||
                                             id == kSineGroup;
                    if (!frameOfPage) {
                        EXPECT_LT(depth(id), depth(frame)) << id << " above " << frame;
                    }
                }
            }
        }
    });
    RunConsole();
}

TEST_F(ConsoleTest, EachTabShowsExactlyItsPage) {
    StartUnit();
    for (int page : {1, 2, 3, 4, 5, 6, 0, 6, 2}) {
        StepCall([this, page] { TapTab(page); });
        StepCall([this, page] {
            const auto& ids = PageControls()[static_cast<std::size_t>(page)];
            EXPECT_EQ(VisibleControls(), std::set<int>(ids.begin(), ids.end())) << "page " << page;
            EXPECT_TRUE(Info(kTab).visible);
        });
    }
    RunConsole();
}

// Styles that the other tests do not show through behaviour.
TEST_F(ConsoleTest, ControlStyles) {
    using namespace ui;
    const std::vector<std::pair<int, DWORD>> styles = {
        {kVolume, TBS_VERT | TBS_AUTOTICKS},
        {kNaviFiles, ES_MULTILINE | ES_READONLY | WS_VSCROLL},
        {kSystemVersion, ES_MULTILINE | ES_READONLY},
        {kFactoryCode, ES_MULTILINE | ES_READONLY},
        {kBattery, ES_READONLY},
        {kPhoto, ES_READONLY},
    };
    StartUnit();
    StepCall([this, &styles] {
        for (const auto& [id, mask] : styles) {
            EXPECT_EQ(Info(id).style & mask, mask) << id;
        }
        EXPECT_EQ(Info(kDuty).style & ES_READONLY, 0U);
    });
    RunConsole();
}

}  // namespace
}  // namespace kestrin_test
