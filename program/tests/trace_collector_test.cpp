// The trace of a long script within the most screens it keeps: the
// failure's pictures always, the most recent other screens, and how many
// steps lost theirs; the traffic in words, within its bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/traffic.h"
#include "script/script.h"
#include "test_folder.h"
#include "trace_collector.h"

namespace program::test {
namespace {

// A picture of its own for each number.
ui::Framebuffer Numbered(int n) {
    ui::Framebuffer picture(2, 1);
    picture.SetPixel(0, 0, static_cast<ui::Rgb>(n));
    return picture;
}

TEST(TraceCollectorTest, AFailureKeepsItsPicturesWhenTheScreensAreManyAndTheTraceCountsTheRest) {
    const TestFolder scratch;
    const std::filesystem::path folder = scratch.path() / "screens";
    // Six screens at most: screens 1 to 5, 2 again, 6, then the failure
    // with a screen of its own and three pictures of the comparison.
    const std::vector<int> screens = {1, 2, 3, 4, 5, 2, 6, 7};
    std::vector<script::Command> commands(screens.size());
    detail::TraceCollector trace(6);
    const ui::Framebuffer actual = Numbered(100);
    const ui::Framebuffer reference = Numbered(101);
    const ui::Framebuffer difference = Numbered(102);
    const script::ScreenPictures pictures{actual, reference, difference, {0, 0, 320, 240}, {}};
    for (std::size_t i = 0; i < screens.size(); ++i) {
        commands[i].line = static_cast<int>(i) + 1;
        const ui::Framebuffer screen = Numbered(screens[i]);
        script::CommandRecord record;
        record.command = &commands[i];
        record.screen = &screen;
        if (i + 1 == screens.size()) {
            record.failure = "1 pixel differs";
            record.pictures = &pictures;
        }
        trace.CommandEnded(record);
    }
    std::vector<TraceStep> steps;
    const platform::Result<void> kept = trace.Keep(folder, &steps);
    ASSERT_TRUE(kept) << kept.error();
    ASSERT_EQ(steps.size(), screens.size());
    auto named = [](const ui::Framebuffer& picture) {
        return detail::PictureName(detail::HashPicture(picture));
    };
    // The screens unused for longest went to make room (2 was used again);
    // the failure is whole.
    std::vector<std::string> shown(steps.size());
    std::ranges::transform(steps, shown.begin(), &TraceStep::screen);
    const std::string two = named(Numbered(2));
    EXPECT_EQ(shown, (std::vector<std::string>{"", two, "", "", "", two, named(Numbered(6)),
                                               named(Numbered(7))}));
    EXPECT_EQ(steps.back().actual, named(actual));
    EXPECT_EQ(steps.back().reference, named(reference));
    EXPECT_EQ(steps.back().difference, named(difference));
    EXPECT_EQ(trace.LeftOut(), 4U);
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.insert(entry.path().filename().string());
    }
    EXPECT_EQ(files, (std::set<std::string>{two, named(Numbered(6)), named(Numbered(7)),
                                            named(actual), named(reference), named(difference)}));
}

platform::TrafficEvent Read(const std::string& device, std::vector<std::uint8_t> bytes,
                            std::uint64_t atMs) {
    platform::TrafficEvent event = platform::TrafficOf(device, platform::TrafficKind::Read);
    event.bytes = std::move(bytes);
    event.atMs = atMs;
    return event;
}

TEST(TraceCollectorTest, TrafficIsInWordsAcrossStepsAndAChattyDeviceKeepsWithinItsBounds) {
    using detail::TraceCollector;
    // 21 steps of 150 NMEA lines each, the last starting with a long line; then
    // a tuner module's frame read in two halves, one step each.
    constexpr std::size_t kChatty = 21;
    constexpr std::size_t kLines = 150;
    std::vector<script::Command> commands(kChatty + 2);
    TraceCollector trace;
    const std::string nmea =
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    for (std::size_t i = 0; i < commands.size(); ++i) {
        commands[i].line = static_cast<int>(i) + 1;
        script::CommandRecord record;
        record.command = &commands[i];
        if (i < kChatty) {
            for (std::size_t n = 0; n < kLines; ++n) {
                std::string line = nmea;
                if (i + 1 == kChatty && n == 0) {
                    line = "$GPTXT," + std::string(400, 'x') + "\r\n";
                }
                record.traffic.push_back(Read("GPS1:", {line.begin(), line.end()}, 1000 * i + n));
            }
        } else if (i == kChatty) {
            record.traffic.push_back(Read("COM7:", {0x3F, 0x00, 0x00, 0x66, 0x80}, 50000));
        } else {
            record.traffic.push_back(Read("COM7:", {0x01, 0x55, 0x00, 0x00, 0x3F}, 50010));
        }
        trace.CommandEnded(record);
    }
    const TestFolder scratch;
    std::vector<TraceStep> steps;
    ASSERT_TRUE(trace.Keep(scratch.path(), &steps));
    ASSERT_EQ(steps.size(), commands.size());

    // The frame is whole in the step that ended it, in the decoder's words.
    EXPECT_TRUE(steps[kChatty].traffic.empty());
    ASSERT_EQ(steps[kChatty + 1].traffic.size(), 1U);
    EXPECT_EQ(steps[kChatty + 1].traffic[0],
              "50010 ms COM7: read 3F 00 00 66 80 01 55 00 00 3F: reply f found 100.3 MHz, tuned");
    // Each step keeps its first lines; the long one is cut.
    const TraceStep& last = steps[kChatty - 1];
    ASSERT_EQ(last.traffic.size(), TraceCollector::kMostTrafficLines);
    EXPECT_EQ(last.trafficLeftOut, kLines - TraceCollector::kMostTrafficLines);
    EXPECT_EQ(last.traffic[0].size(), TraceCollector::kMostTrafficBytes);
    EXPECT_TRUE(last.traffic[0].ends_with("xx...")) << last.traffic[0];
    EXPECT_TRUE(last.traffic[1].starts_with("20001 ms GPS1: ")) << last.traffic[1];
    EXPECT_NE(last.traffic[1].find("$GPGGA,123519"), std::string::npos) << last.traffic[1];
    // The whole trace keeps its last lines: the earliest steps lose theirs.
    std::size_t kept = 0;
    for (const TraceStep& step : steps) {
        kept += step.traffic.size();
        const auto at = static_cast<std::size_t>(step.line);
        const std::size_t lines = at <= kChatty ? kLines : at == kChatty + 1 ? 0U : 1U;
        EXPECT_EQ(step.traffic.size() + step.trafficLeftOut, lines) << step.line;
        for (const std::string& line : step.traffic) {
            EXPECT_LE(line.size(), TraceCollector::kMostTrafficBytes);
        }
    }
    EXPECT_EQ(kept, TraceCollector::kMostTraceTraffic);
    EXPECT_TRUE(steps[0].traffic.empty());
    EXPECT_EQ(steps[1].traffic.size(), TraceCollector::kMostTraceTraffic - 1 -
                                           (kChatty - 2) * TraceCollector::kMostTrafficLines);
}

}  // namespace
}  // namespace program::test
