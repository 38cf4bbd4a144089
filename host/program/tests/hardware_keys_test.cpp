// F1 and F2 of the development machine are the unit's POWER and GUIDE keys.
#include <gtest/gtest.h>

#include <deque>

#include "host/hardware_keys.h"
#include "host/unit/test_unit.h"

namespace host {
namespace {

using Kind = ui::InputEvent::Kind;

// Hands out the events it was given, one per wait.
class QueuePresenter final : public ui::Presenter {
  public:
    std::deque<ui::InputEvent> events;
    int presents = 0;
    int wakes = 0;
    void Present(const ui::Framebuffer& /*screen*/) override { ++presents; }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> /*deadline*/) override {
        ui::InputEvent e = events.front();
        events.pop_front();
        return e;
    }
    void Wake() override { ++wakes; }
};

ui::InputEvent Key(Kind kind, ui::Key key) {
    ui::InputEvent e;
    e.kind = kind;
    e.key = key;
    return e;
}

TEST(HardwareKeysTest, F1AndF2HoldThePowerAndGuideKeys) {
    unit::TestUnit t;
    ASSERT_TRUE(t.Load()) << t.error();
    QueuePresenter inner;
    HardwareKeys keys(inner, t.unit());
    struct Step {
        ui::InputEvent event;
        bool power;
        bool guide;
        bool passed;  // reaches the framework
    };
    const Step steps[] = {
        {Key(Kind::KeyDown, ui::Key::F1), true, false, false},
        {Key(Kind::KeyDown, ui::Key::F1), true, false, false},  // the key repeats
        {Key(Kind::KeyDown, ui::Key::F2), true, true, false},
        {Key(Kind::KeyUp, ui::Key::F1), false, true, false},
        {Key(Kind::KeyDown, ui::Key::Enter), false, true, true},
        {Key(Kind::KeyDown, ui::Key::F3), false, true, true},
        {Key(Kind::KeyUp, ui::Key::F2), false, false, false},
        {ui::InputEvent{Kind::PenDown, 10, 20, ui::Key::None, {}}, false, false, true},
    };
    for (const Step& s : steps) {
        inner.events.push_back(s.event);
        const ui::InputEvent got = keys.WaitEvent(std::nullopt);
        if (s.passed) {
            EXPECT_EQ(got.kind, s.event.kind);
            EXPECT_EQ(got.key, s.event.key);
            EXPECT_EQ(got.x, s.event.x);
        } else {
            EXPECT_EQ(got.kind, Kind::Wake);
        }
        EXPECT_EQ(t.unit().Pin(0), s.power);
        EXPECT_EQ(t.unit().Pin(2), s.guide);
    }
}

}  // namespace
}  // namespace host
