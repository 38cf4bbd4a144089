#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

#include "audio/fixed_sine.h"

namespace {

TEST(FixedSine, ListedPoints) {
    struct Point {
        int phase;
        int value;
    };
    const Point points[] = {
        {0, 0},      {128, 114},   {151, 129}, {152, 129},  {256, 163},  {512, 0},
        {768, -163}, {-256, -163}, {1024, 0},  {1280, 163}, {-768, 163}, {384, 114},
    };
    for (const auto& p : points) {
        EXPECT_EQ(FixedSine(p.phase), p.value) << "phase " << p.phase;
    }
}

TEST(FixedSine, SymmetricOverWholeCycles) {
    // Every phase of three cycles on each side of zero, so the sign handling
    // and the modulo reduction meet in every combination.
    for (int x = -3 * 1024; x <= 3 * 1024; ++x) {
        const int v = FixedSine(x);
        ASSERT_EQ(FixedSine(-x), -v) << "odd at " << x;
        ASSERT_EQ(FixedSine(x + 512), -v) << "half cycle at " << x;
        ASSERT_EQ(FixedSine(x + 1024), v) << "period at " << x;
        ASSERT_EQ(FixedSine(512 - x), v) << "mirror about the peak at " << x;
    }
}

TEST(FixedSine, FollowsTheTrueSineFromBelow) {
    // Both series are truncated, so over the positive half cycle the value
    // never exceeds 163 sin and trails it by less than 2 (the largest gap is
    // at the branch change, 129 against 130.9 at phase 152).
    for (int x = 0; x <= 512; ++x) {
        const double exact = 163.0 * std::sin(2.0 * std::numbers::pi * x / 1024.0);
        ASSERT_LE(FixedSine(x), exact + 1e-9) << x;
        ASSERT_GT(FixedSine(x), exact - 2.0) << x;
    }
}

TEST(FixedSine, ExtremePhasesStayInRange) {
    for (int x : {INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 511}) {
        const int v = FixedSine(x);
        EXPECT_GE(v, -163) << x;
        EXPECT_LE(v, 163) << x;
    }
    // INT_MIN is a multiple of 1024: no reduction error may leak through.
    EXPECT_EQ(FixedSine(INT_MIN), 0);
}

TEST(ScaleSine, TruncatesTowardZeroAndSaturates) {
    struct Case {
        int sine;
        int sample;
    };
    const Case cases[] = {
        {0, 0},       {1, 201},       {-1, -201},   {114, 22916},   {-114, -22916},
        {163, 32767}, {-163, -32767}, {200, 32767}, {-200, -32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaleSine(c.sine), c.sample) << c.sine;
    }
}

}  // namespace
