// The trace of a long script within the most screens it keeps: the
// failure's pictures always, the most recent other screens, and how many
// steps lost theirs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace program::test
