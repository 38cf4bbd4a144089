// The stepper on a target whose clock and deadlines the test sets: how far
// each step of a wait moves the clock, when a busy target counts as settled,
// and how much time the end of a run gives a waiting thread.
#include "script/clock_stepper.h"

#include <gtest/gtest.h>

#include <optional>

#include "fake_target.h"

namespace script::test {
namespace {

using Step = ClockStepper::Step;

TEST(ClockStepperTest, AWaitStepsToTheEarliestDeadline) {
    struct Case {
        const char* what;
        std::uint64_t waitMs;
        std::optional<std::uint64_t> framework;  // the next timer
        std::optional<std::uint64_t> unit;       // a thread of the unit
        std::uint64_t clockAfter;
    };
    const Case cases[] = {
        {"nothing due: the wait's end", 500, std::nullopt, std::nullopt, 1500},
        {"a timer first", 500, 1200, std::nullopt, 1200},
        {"a thread first", 500, 1300, 1100, 1100},
        {"the wait's end first", 50, 1200, 1100, 1050},
        {"a thread overdue: the clock stays", 500, std::nullopt, 900, 1000},
    };
    for (const Case& c : cases) {
        FakeTarget target;
        target.now = 1000;
        target.deadline = c.unit;
        ClockStepper stepper(target, {});
        stepper.StartWait(c.waitMs);
        EXPECT_EQ(stepper.StepWait(c.framework), Step::Advanced) << c.what;
        EXPECT_EQ(target.now, c.clockAfter) << c.what;
        EXPECT_TRUE(stepper.TakeAdvanced()) << c.what;
        EXPECT_FALSE(stepper.TakeAdvanced()) << c.what;
        EXPECT_TRUE(stepper.Waiting()) << c.what;
    }
    // At its end the wait is done, and the clock not moved again.
    FakeTarget target;
    ClockStepper stepper(target, {});
    stepper.StartWait(30);
    EXPECT_EQ(stepper.StepWait(std::nullopt), Step::Advanced);
    EXPECT_TRUE(stepper.TakeAdvanced());
    EXPECT_EQ(stepper.StepWait(std::nullopt), Step::Done);
    EXPECT_FALSE(stepper.Waiting());
    EXPECT_FALSE(stepper.TakeAdvanced());
    EXPECT_EQ(target.now, 30U);
}

TEST(ClockStepperTest, AClockThatNeverMovesIsStuck) {
    FakeTarget target;
    target.now = 70;
    target.deadline = 70;  // due now, every time it is asked
    ClockStepper stepper(target, {});
    stepper.StartWait(1000);
    Step step = Step::Advanced;
    int rounds = 0;
    while (step == Step::Advanced && rounds < 200000) {
        step = stepper.StepWait(std::nullopt);
        ++rounds;
    }
    EXPECT_EQ(step, Step::Stuck);
    EXPECT_EQ(stepper.StuckAt(), 70U);
    EXPECT_GT(rounds, 1000);
    // A deadline that moves on is not stuck, however often it comes.
    target.deadline.reset();
    EXPECT_EQ(stepper.StepWait(std::nullopt), Step::Advanced);
    EXPECT_EQ(target.now, 1070U);
}

TEST(ClockStepperTest, SettlingOnEitherClock) {
    using Settled = ClockStepper::Settled;
    using std::chrono::milliseconds;
    struct Case {
        const char* what;
        bool virtualTime;
        bool quiescent;
        bool windowWaits;
        ClockStepper::Limits limits;
        Settled first;
    };
    const Case cases[] = {
        {"virtual, blocked", true, true, false, {}, Settled::Yes},
        {"virtual, busy", true, false, false, {}, Settled::NotYet},
        {"virtual, busy past the limit",
         true,
         false,
         false,
         {milliseconds(-1), {}},
         Settled::TooLong},
        {"real, busy: waited for a while", false, false, false, {}, Settled::NotYet},
        {"real, busy: goes on after the real-time wait",
         false,
         false,
         false,
         {milliseconds(20000), milliseconds(0)},
         Settled::Yes},
        {"real, a window waits for its worker", false, true, true, {}, Settled::NotYet},
    };
    for (const Case& c : cases) {
        FakeTarget target;
        target.virtualTime = c.virtualTime;
        target.quiescent = c.quiescent;
        ClockStepper stepper(target, c.limits);
        EXPECT_EQ(stepper.Settle(c.windowWaits), c.first) << c.what;
    }
    FakeTarget target;
    target.quiescent = false;
    ClockStepper stepper(target, {milliseconds(1500), {}});
    EXPECT_EQ(stepper.NotSettled(), "the system did not settle within 1500 ms (1 thread live)");
    EXPECT_EQ(Millis(milliseconds(20000)), "20 s");
}

TEST(ClockStepperTest, TheEndOfARunGivesAWaitingThreadAMinuteOfTheClock) {
    using EndTime = ClockStepper::EndTime;
    FakeTarget target;
    target.now = 5000;
    ClockStepper stepper(target, {});
    EXPECT_EQ(stepper.GiveEndTime(), EndTime::Never);  // counted from here
    target.deadline = 5000 + kLongestEndWaitMs;
    EXPECT_EQ(stepper.GiveEndTime(), EndTime::Given);
    EXPECT_EQ(target.now, 5000 + kLongestEndWaitMs);
    target.deadline = *target.deadline + 1;
    EXPECT_EQ(stepper.GiveEndTime(), EndTime::TooLong);
    EXPECT_EQ(target.now, 5000 + kLongestEndWaitMs);
}

TEST(ClockStepperTest, AWakeUpIsTakenOnce) {
    FakeTarget target;
    ClockStepper stepper(target, {});
    EXPECT_FALSE(stepper.TakeWoken());
    stepper.Wake();
    EXPECT_TRUE(stepper.TakeWoken());
    EXPECT_FALSE(stepper.TakeWoken());
    stepper.Wake();
    EXPECT_TRUE(stepper.WaitWoken(std::chrono::milliseconds(0)));
    EXPECT_FALSE(stepper.WaitWoken(std::chrono::milliseconds(1)));
}

}  // namespace
}  // namespace script::test
