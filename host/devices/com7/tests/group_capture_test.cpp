// The capture reader: RDS Spy log lines (redsea's hex format), and whole
// files with their first bad line named.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/com7/group_capture.h"

namespace host::com7 {
namespace {

struct LineCase {
    const char* name;
    std::string line;
    // Expected: a group (blocks, errored bits, stamp), nothing, or an error
    // containing this text.
    std::optional<RdsGroup> group = std::nullopt;
    std::uint8_t errored = 0;
    std::optional<std::int64_t> stampMs = std::nullopt;
    const char* error = nullptr;
};

TEST(GroupCapture, ReadsOneLineOfTheLogFormat) {
    // 2016-09-15 12:34:56.78 as written, no time zone.
    constexpr std::int64_t kStamp = 1'473'942'896'780;
    const std::vector<LineCase> cases = {
        {"four blocks", "6204 0130 966B 594C", RdsGroup{0x6204, 0x0130, 0x966B, 0x594C}},
        {"lower case, blanks and tabs, CR", "  6204  0130\t966b 594c \r",
         RdsGroup{0x6204, 0x0130, 0x966B, 0x594C}},
        {"blocks in error", "---- 0131 ---- 4520", RdsGroup{0, 0x0131, 0, 0x4520}, 0x05},
        {"with a time stamp", "6204 0132 E472 5833 @2016/09/15 12:34:56.78",
         RdsGroup{0x6204, 0x0132, 0xE472, 0x5833}, 0, kStamp},
        {"whole seconds", "6204 0132 E472 5833 @2016/09/15 12:34:56",
         RdsGroup{0x6204, 0x0132, 0xE472, 0x5833}, 0, kStamp - 780},
        // Past a 32-bit time_t's end, and the last stamp the format can write.
        {"in 2040", "6204 0132 E472 5833 @2040/02/29 06:30:00",
         RdsGroup{0x6204, 0x0132, 0xE472, 0x5833}, 0, 2'214'109'800'000},
        {"in 9999", "6204 0132 E472 5833 @9999/12/31 23:59:59.99",
         RdsGroup{0x6204, 0x0132, 0xE472, 0x5833}, 0, 253'402'300'799'990},
        {"header", "<recorder=\"RDS Spy\" ver=\"1.0\">", std::nullopt},
        {"blank", " \r", std::nullopt},
        {"another data stream", "#S2 1234 5678 9ABC DEF0", std::nullopt},
        {"three blocks", "6204 0130 966B", std::nullopt, 0, std::nullopt, "four blocks"},
        {"run together", "62040130966B594C", std::nullopt, 0, std::nullopt, "four blocks"},
        {"five digits", "6204 01300 966B 594C", std::nullopt, 0, std::nullopt, "four blocks"},
        {"not hex", "6204 013G 966B 594C", std::nullopt, 0, std::nullopt, "four blocks"},
        {"half a block in error", "6204 01-- 966B 594C", std::nullopt, 0, std::nullopt,
         "four blocks"},
        {"a fifth block", "6204 0130 966B 594C 1234", std::nullopt, 0, std::nullopt,
         "after the four blocks: \"1234\""},
        {"control bytes are quoted escaped", "6204 0130 966B 594C \x1B]0;x\x07", std::nullopt, 0,
         std::nullopt, "after the four blocks: \"\\x1B]0;x\\x07\""},
        {"no such month", "6204 0130 966B 594C @2016/13/15 12:34:56.78", std::nullopt, 0,
         std::nullopt, "time stamp"},
        {"no such day", "6204 0130 966B 594C @2015/02/29 12:34:56.78", std::nullopt, 0,
         std::nullopt, "time stamp"},
        {"stamp cut short", "6204 0130 966B 594C @2016/09/15 12:34", std::nullopt, 0, std::nullopt,
         "time stamp"},
        {"text after the stamp", "6204 0130 966B 594C @2016/09/15 12:34:56.78 x", std::nullopt, 0,
         std::nullopt, "time stamp"},
        {"unclosed header", "<recorder=\"RDS Spy\"", std::nullopt, 0, std::nullopt, "'>'"},
        {"too long", std::string(300, ' ') + "6204 0130 966B 594C", std::nullopt, 0, std::nullopt,
         "longer than 255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CaptureLine parsed = ParseCaptureLine(c.line);
        if (c.error != nullptr) {
            const auto* error = std::get_if<std::string>(&parsed);
            ASSERT_NE(error, nullptr);
            EXPECT_NE(error->find(c.error), std::string::npos) << *error;
        } else if (!c.group) {
            EXPECT_TRUE(std::holds_alternative<std::monostate>(parsed));
        } else {
            const auto* group = std::get_if<CapturedGroup>(&parsed);
            ASSERT_NE(group, nullptr);
            EXPECT_EQ(group->group, *c.group);
            EXPECT_EQ(group->errored, c.errored);
            EXPECT_EQ(group->stampMs, c.stampMs);
        }
    }
}

TEST(GroupCapture, AFileGivesItsGroupsOrItsFirstBadLine) {
    const std::string good =
        "\xEF\xBB\xBF<recorder=\"RDS Spy\">\r\n"
        "6204 0130 966B 594C\r\n"
        "\r\n"
        "6204 ---- 93CD 4520\r\n"
        "6204 0132 E472 5833";  // no line end at the end
    const auto groups = ParseCapture(good);
    ASSERT_TRUE(std::holds_alternative<std::vector<CapturedGroup>>(groups));
    const auto& list = std::get<std::vector<CapturedGroup>>(groups);
    ASSERT_EQ(list.size(), 3U);
    EXPECT_EQ((std::vector<int>{list[0].line, list[1].line, list[2].line}),
              (std::vector<int>{2, 4, 5}));
    EXPECT_TRUE(list[0].Clean());
    EXPECT_FALSE(list[1].Clean());

    const auto bad = ParseCapture("6204 0130 966B 594C\n6204 0131 93CD\n6204 0132 E472 x\n");
    ASSERT_TRUE(std::holds_alternative<CaptureError>(bad));
    EXPECT_EQ(std::get<CaptureError>(bad).line, 2);

    const auto empty = ParseCapture("<only a header>\n\n");
    ASSERT_TRUE(std::holds_alternative<CaptureError>(empty));
    EXPECT_EQ(std::get<CaptureError>(empty).message, "no RDS group in it");
}

}  // namespace
}  // namespace host::com7
