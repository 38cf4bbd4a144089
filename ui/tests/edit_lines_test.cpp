// An edit's lines laid out again after each change are the lines of the
// whole new text laid out afresh, and typing costs each character the same
// however long the text already is.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "edit_lines.h"

namespace ui::detail {
namespace {

// Blanks 3 pixels wide, "W" 9, anything else 5; counts what it measures.
class CountingFont final : public Font {
  public:
    [[nodiscard]] int Ascent() const override { return 9; }
    [[nodiscard]] int Descent() const override { return 2; }
    [[nodiscard]] int LineHeight() const override { return 11; }
    [[nodiscard]] int Measure(std::string_view text) const override {
        measured += text.size();
        int width = 0;
        for (const char c : text) {
            if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) {
                width += c == ' ' || c == '\t' ? 3 : c == 'W' ? 9 : 5;
            }
        }
        return width;
    }
    int DrawLine(Framebuffer& /*fb*/, int /*x*/, int /*top*/, std::string_view text, Rgb /*color*/,
                 const Rect& /*clip*/) override {
        return Measure(text);
    }
    mutable std::size_t measured = 0;
};

std::vector<std::pair<std::size_t, std::size_t>> Spans(const EditLines& lines) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (const EditLine& line : lines.Lines()) {
        spans.emplace_back(line.start, line.end);
    }
    return spans;
}

struct Edit {
    std::size_t start;
    std::size_t end;
    std::string text;
};

// Applies the edit to text and to its lines; the lines must be those of
// the new text laid out whole.
void ExpectSameAsAfresh(const CountingFont& font, std::string* text, EditLines* lines,
                        const Edit& edit, bool multiLine, bool wrap) {
    text->replace(edit.start, edit.end - edit.start, edit.text);
    lines->Replaced(font, *text, edit.start, edit.end, edit.text.size());
    EditLines afresh;
    afresh.LayOut(font, *text, lines->Width(), multiLine, wrap);
    ASSERT_EQ(Spans(*lines), Spans(afresh)) << "after " << edit.start << ".." << edit.end << " \""
                                            << edit.text << "\" in \"" << *text << "\"";
}

TEST(EditLinesTest, ALayoutKeptAcrossChangesIsTheLayoutOfTheNewText) {
    const CountingFont font;
    const std::string start =
        "alpha beta  gamma\r\ndelta WWWWWWWWWWWWWWWWWWWW epsilon\n\nzeta   eta\rtheta \r\n";
    // Edits where wrapping changes most: in the first word of a line, in
    // a cut word, at blanks, splitting and joining "\r\n", at both ends.
    const std::vector<Edit> edits = {
        {0, 0, "x"},       {6, 10, ""},    {6, 6, "beta beta beta "},
        {20, 21, ""},      {19, 19, "\n"}, {30, 30, " "},
        {25, 27, "WWW\r"}, {0, 5, ""},     {10, 40, "a b"},
        {0, 0, "\r\n\r"},  {3, 3, "\n"},
    };
    for (const bool multiLine : {false, true}) {
        for (const bool wrap : {false, true}) {
            for (const int width : {1, 12, 40, 75, 400}) {
                std::string text = start;
                EditLines lines;
                lines.LayOut(font, text, width, multiLine, wrap);
                for (const Edit& edit : edits) {
                    if (edit.end <= text.size()) {
                        ExpectSameAsAfresh(font, &text, &lines, edit, multiLine, wrap);
                    }
                }
                // Typed at the end and deleted again, character by character.
                for (const char c : std::string("a bc  WWWWWWWWWWWW\r\nd e")) {
                    ExpectSameAsAfresh(font, &text, &lines, {text.size(), text.size(), {c}},
                                       multiLine, wrap);
                }
                while (!text.empty()) {
                    ExpectSameAsAfresh(font, &text, &lines, {text.size() - 1, text.size(), ""},
                                       multiLine, wrap);
                }
            }
        }
    }
    // Many changes anywhere, of text that wraps at every width.
    std::mt19937 random(33);
    const std::string pieces[] = {"a", " ", "WW", "bcd ", "\r", "\n", "\r\n", "\xC3\xA9", "  x"};
    for (const int width : {1, 12, 30, 200}) {
        for (const bool multiLine : {false, true}) {
            std::string text;
            EditLines lines;
            lines.LayOut(font, text, width, multiLine, true);
            for (int i = 0; i < 2000; ++i) {
                const std::size_t at = random() % (text.size() + 1);
                std::size_t end = std::min(text.size(), at + random() % 4);
                while (end < text.size() &&
                       (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U) {
                    ++end;
                }
                const bool remove = random() % 3 == 0;
                ExpectSameAsAfresh(font, &text, &lines,
                                   {at, remove ? end : at, remove ? "" : pieces[random() % 9]},
                                   multiLine, true);
            }
        }
    }
}

TEST(EditLinesTest, TypingATextTenTimesAsLongMeasuresTenTimesAsMuch) {
    // What is measured for each character typed at the end, with wrapping.
    auto measured = [](std::size_t typed) {
        CountingFont font;
        std::string text;
        EditLines lines;
        lines.LayOut(font, text, 120, true, true);
        for (std::size_t i = 0; i < typed; ++i) {
            text += i % 7 == 6 ? ' ' : 'x';
            lines.Replaced(font, text, text.size() - 1, text.size() - 1, 1);
        }
        EXPECT_EQ(lines.Lines().back().end, typed);
        return font.measured;
    };
    EXPECT_LT(measured(30'000), 11 * measured(3'000));
}

}  // namespace
}  // namespace ui::detail
