#include "input_translation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace host::window::detail {
namespace {

using Kind = ui::InputEvent::Kind;

SDL_Event Button(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Motion(Uint32 state, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.state = state;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event KeyEvent(Uint32 type, SDL_Keycode sym, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat;
    return e;
}

TEST(KeyForTest, MapsTheUnitsKeysAndNothingElse) {
    const std::pair<SDL_Keycode, ui::Key> table[] = {
        {SDLK_RETURN, ui::Key::Enter},  {SDLK_KP_ENTER, ui::Key::Enter},
        {SDLK_ESCAPE, ui::Key::Escape}, {SDLK_BACKSPACE, ui::Key::Backspace},
        {SDLK_DELETE, ui::Key::Delete}, {SDLK_TAB, ui::Key::Tab},
        {SDLK_LEFT, ui::Key::Left},     {SDLK_RIGHT, ui::Key::Right},
        {SDLK_UP, ui::Key::Up},         {SDLK_DOWN, ui::Key::Down},
        {SDLK_HOME, ui::Key::Home},     {SDLK_END, ui::Key::End},
        {SDLK_F1, ui::Key::F1},         {SDLK_F2, ui::Key::F2},
        {SDLK_F3, ui::Key::F3},         {SDLK_F4, ui::Key::F4},
        {SDLK_F5, ui::Key::F5},         {SDLK_F6, ui::Key::F6},
        {SDLK_a, ui::Key::None},        {SDLK_F7, ui::Key::None},
        {SDLK_LSHIFT, ui::Key::None},   {SDLK_SPACE, ui::Key::None},
    };
    for (const auto& [sym, key] : table) {
        EXPECT_EQ(KeyFor(sym), key) << SDL_GetKeyName(sym);
    }
}

// A stroke of the left button becomes down, moves and up; other buttons,
// moves without the button and a second down are not pen input.
TEST(TranslateTest, LeftButtonStrokeIsThePen) {
    struct Step {
        SDL_Event event;
        std::optional<Kind> kind;
        int x, y;
    };
    const std::vector<Step> steps = {
        {Motion(0, 5, 5), std::nullopt, 0, 0},
        {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1), std::nullopt, 0, 0},
        {Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1), std::nullopt, 0, 0},
        {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20), Kind::PenDown, 10, 20},
        {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 11, 21), std::nullopt, 0, 0},
        {Motion(SDL_BUTTON_LMASK, 12, 22), Kind::PenMove, 12, 22},
        {Motion(SDL_BUTTON_LMASK, -15, 400), Kind::PenMove, -15, 400},  // outside the screen
        {Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 3, 3), std::nullopt, 0, 0},
        {Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 330, -2), Kind::PenUp, 330, -2},
        {Motion(SDL_BUTTON_LMASK, 12, 22), std::nullopt, 0, 0},
        // A release nobody saw ends the stroke at the next move.
        {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 40, 41), Kind::PenDown, 40, 41},
        {Motion(0, 42, 43), Kind::PenUp, 42, 43},
        {Motion(0, 44, 45), std::nullopt, 0, 0},
    };
    bool penDown = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto got = Translate(steps[i].event, penDown);
        ASSERT_EQ(got.has_value(), steps[i].kind.has_value()) << "step " << i;
        if (got) {
            EXPECT_EQ(got->kind, *steps[i].kind) << "step " << i;
            EXPECT_EQ(got->x, steps[i].x) << "step " << i;
            EXPECT_EQ(got->y, steps[i].y) << "step " << i;
        }
    }
}

TEST(TranslateTest, KeysTextAndClosing) {
    bool penDown = false;
    auto down = Translate(KeyEvent(SDL_KEYDOWN, SDLK_F2), penDown);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->kind, Kind::KeyDown);
    EXPECT_EQ(down->key, ui::Key::F2);
    auto up = Translate(KeyEvent(SDL_KEYUP, SDLK_F2), penDown);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->kind, Kind::KeyUp);
    EXPECT_EQ(up->key, ui::Key::F2);
    EXPECT_FALSE(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F2, 1), penDown));  // held hardware key
    auto repeat = Translate(KeyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, 1), penDown);
    ASSERT_TRUE(repeat);
    EXPECT_EQ(repeat->key, ui::Key::Backspace);
    EXPECT_FALSE(Translate(KeyEvent(SDL_KEYDOWN, SDLK_q), penDown));  // arrives as text

    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "\xC3\xA9z");
    auto typed = Translate(text, penDown);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->kind, Kind::Text);
    EXPECT_EQ(typed->text, "\xC3\xA9z");
    // A text block filled to the end without a terminator stays inside it.
    std::memset(text.text.text, 'x', sizeof text.text.text);
    typed = Translate(text, penDown);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->text.size(), sizeof text.text.text);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Translate(quit, penDown)->kind, Kind::Quit);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_EQ(Translate(close, penDown)->kind, Kind::Quit);
    close.window.event = SDL_WINDOWEVENT_MOVED;
    EXPECT_FALSE(Translate(close, penDown));
}

}  // namespace
}  // namespace host::window::detail
