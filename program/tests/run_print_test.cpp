// --repeat-each's comparison: the first step where two runs part, with what
// differs on both sides (the traffic's first differing event), and nothing
// for runs alike.
#include "run_print.h"

#include <gtest/gtest.h>

namespace program::detail {
namespace {

TEST(RunPrintTest, TheFirstStepWhereTwoRunsPartIsNamedWithBothSides) {
    platform::TrafficEvent key =
        platform::TrafficOf("registry", platform::TrafficKind::RegistryCreate);
    key.atMs = 550;
    key.path = "Drivers\\Active\\12";
    const std::vector<RunPrint::Step> first = {
        {1, "tab 2", "", 100, 7, std::nullopt, {"a\r\n"}, {}, {}},
        {2, "wait 500", "", 600, 7, std::nullopt, {}, {}, {key}},
    };
    const auto changed = [&](auto change) {
        std::vector<RunPrint::Step> later = first;
        change(later);
        return FirstDifference("s.ks", first, later, 3, 5);
    };
    const std::string at2 = "s.ks:2: wait 500: run 3 of 5 parts from run 1 here: ";
    const std::pair<std::optional<std::string>, std::optional<std::string>> cases[] = {
        {changed([](auto&) {}), std::nullopt},
        {changed([](auto& l) { l[1].unitMs = 620; }),
         at2 + "the unit's clock: run 1 600 ms, run 3 620 ms"},
        {changed([](auto& l) { l[1].failure = "x"; }), at2 + "the outcome: run 1 ok, run 3 \"x\""},
        {changed([](auto& l) {
             l[0].debugLines = {"b\r\n", "a\r\n"};
         }),
         "s.ks:1: tab 2: run 3 of 5 parts from run 1 here: the debug lines: run 1 "
         "[\"a\\x0D\\x0A\"], run 3 [\"b\\x0D\\x0A\", \"a\\x0D\\x0A\"]"},
        {changed([](auto& l) { l[1].traffic[0].path = "Drivers\\Active\\13"; }),
         at2 + "the traffic, event 1 of the step: run 1 \"550 ms registry created "
               "Drivers\\Active\\12\", run 3 \"550 ms registry created Drivers\\Active\\13\""},
        {changed([&](auto& l) { l[1].traffic.push_back(key); }),
         at2 + "the traffic, event 2 of the step: run 1 none, run 3 \"550 ms registry created "
               "Drivers\\Active\\12\""},
        {changed([](auto& l) { l[1].screen = 8; }),
         at2 + "the screen after it: run 1 0000000000000007.png, run 3 0000000000000008.png"},
        {changed([](auto& l) { l.pop_back(); }),
         at2 + "the end: run 1 ran it, run 3 ended before it"},
    };
    for (const auto& [got, want] : cases) {
        EXPECT_EQ(got, want);
    }
}

}  // namespace
}  // namespace program::detail
