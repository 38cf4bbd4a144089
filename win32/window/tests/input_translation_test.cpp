#include "input_translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace win32::window::detail {
namespace {

TEST(InputTranslationTest, VirtualKeysMapToTheUnitsKeys) {
    const std::pair<std::uint32_t, ui::Key> keys[] = {
        {0x0D, ui::Key::Enter},  {0x1B, ui::Key::Escape}, {0x08, ui::Key::Backspace},
        {0x2E, ui::Key::Delete}, {0x09, ui::Key::Tab},    {0x25, ui::Key::Left},
        {0x27, ui::Key::Right},  {0x26, ui::Key::Up},     {0x28, ui::Key::Down},
        {0x24, ui::Key::Home},   {0x23, ui::Key::End},    {0x70, ui::Key::F1},
        {0x71, ui::Key::F2},     {0x72, ui::Key::F3},     {0x73, ui::Key::F4},
        {0x74, ui::Key::F5},     {0x75, ui::Key::F6},     {0x76, ui::Key::None},
        {0x41, ui::Key::None},   {0x10, ui::Key::None},
    };
    for (const auto& [vk, key] : keys) {
        EXPECT_EQ(KeyForVirtualKey(vk), key) << vk;
    }
    EXPECT_TRUE(Repeats(ui::Key::Left));
    EXPECT_TRUE(Repeats(ui::Key::Backspace));
    EXPECT_FALSE(Repeats(ui::Key::F1));
    EXPECT_FALSE(Repeats(ui::Key::F2));
    EXPECT_FALSE(Repeats(ui::Key::F6));  // held, it would write a picture per repeat
}

TEST(InputTranslationTest, TypedUnitsBecomeUtf8Text) {
    struct Case {
        std::u16string units;
        std::vector<std::string> texts;  // what each unit completed, in order
    };
    const Case cases[] = {
        {u"a", {"a"}},
        {u"\u00E9\u20AC", {"\xC3\xA9", "\xE2\x82\xAC"}},
        {u"\xD83D\xDE00", {"\xF0\x9F\x98\x80"}},  // a pair makes one character
        {u"\xDE00x", {"\xEF\xBF\xBD", "x"}},      // a lone low surrogate
        {u"\xD83Dx", {"\xEF\xBF\xBDx"}},          // a high one without its partner
        {u"\xD83D\xD83D\xDE00", {"\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}},
        {u"\r\x1B\t\b\x7F", {}},  // keys, not text
    };
    for (const Case& c : cases) {
        TypedText typed;
        std::vector<std::string> texts;
        for (char16_t unit : c.units) {
            if (auto text = typed.Add(unit)) {
                texts.push_back(*text);
            }
        }
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(InputTranslationTest, WindowPixelsScaleDownToScreenPixels) {
    const int cases[][3] = {{0, 2, 0},   {1, 2, 0},   {2, 2, 1},   {639, 2, 319},
                            {-1, 2, -1}, {-2, 2, -1}, {-3, 2, -2}, {7, 1, 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToScreen(c[0], c[1]), c[2]) << c[0] << " at " << c[1];
    }
}

}  // namespace
}  // namespace win32::window::detail
