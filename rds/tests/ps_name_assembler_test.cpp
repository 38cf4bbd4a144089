#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rds/module_frame.h"
#include "rds/ps_name_assembler.h"
#include "redsea_vectors.h"

namespace {

RdsFrame Group(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    const std::uint8_t bytes[10] = {0x3F,
                                    static_cast<std::uint8_t>(a >> 8),
                                    static_cast<std::uint8_t>(a),
                                    static_cast<std::uint8_t>(b >> 8),
                                    static_cast<std::uint8_t>(b),
                                    static_cast<std::uint8_t>(c >> 8),
                                    static_cast<std::uint8_t>(c),
                                    static_cast<std::uint8_t>(d >> 8),
                                    static_cast<std::uint8_t>(d),
                                    0x3F};
    return DecodeRdsFrame(bytes, sizeof bytes);
}

// A type 0A group carrying segment `segment` with two characters.
RdsFrame Segment(std::uint16_t segment, char first, char second) {
    return Group(0x6204, static_cast<std::uint16_t>(0x0130 | segment), 0x966B,
                 static_cast<std::uint16_t>((static_cast<unsigned char>(first) << 8) |
                                            static_cast<unsigned char>(second)));
}

std::string Text(const RdsPsName& name) {
    return {name.begin(), name.end()};
}

TEST(PsNameAssembler, NameOnlyFromSegmentsZeroToThreeInOrder) {
    PsNameAssembler assembler;
    // 1, 2, 3 before any 0 are dropped; the second 3 completes the name.
    const RdsFrame frames[] = {
        Segment(1, 'x', 'x'), Segment(2, 'x', 'x'), Segment(3, 'x', 'x'), Segment(0, 'R', 'A'),
        Segment(1, 'D', 'I'), Segment(2, 'O', ' '), Segment(3, 'O', 'K'),
    };
    int names = 0;
    for (std::size_t i = 0; i < std::size(frames); ++i) {
        const auto name = assembler.Feed(frames[i]);
        if (name) {
            ++names;
            EXPECT_EQ(i, std::size(frames) - 1);
            EXPECT_EQ(Text(*name), "RADIO OK");
        }
    }
    EXPECT_EQ(names, 1);
    EXPECT_EQ(assembler.NextSegment(), 0);
}

TEST(PsNameAssembler, OutOfOrderSegmentKeepsTheIndexAndEarlierCharacters) {
    PsNameAssembler assembler;
    EXPECT_FALSE(assembler.Feed(Segment(0, 'A', 'B')));
    EXPECT_FALSE(assembler.Feed(Segment(2, 'x', 'x')));  // expected 1: dropped
    EXPECT_EQ(assembler.NextSegment(), 1);
    EXPECT_FALSE(assembler.Feed(Segment(1, 'C', 'D')));
    EXPECT_FALSE(assembler.Feed(Segment(2, 'E', 'F')));
    const auto name = assembler.Feed(Segment(3, 'G', 'H'));
    ASSERT_TRUE(name);
    EXPECT_EQ(Text(*name), "ABCDEFGH");
}

TEST(PsNameAssembler, OnlyTypeZeroGroupsCount) {
    const RdsFrame ignored[] = {
        Group(0x6204, 0x2031, 0x4142, 0x4344),  // type 2A, address bits 01
        Group(0x6204, 0x4031, 0x4142, 0x4344),  // type 4A
        Group(0x6204, 0xF031, 0x4142, 0x4344),  // type 15A
        Group(0x6204, 0x1031, 0x4142, 0x4344),  // type 1A
        Group(0x0000, 0x0031, 0x4142, 0x4344),  // a reply: word A zero
        RdsFrame{},                             // not a frame
    };
    for (const auto& frame : ignored) {
        PsNameAssembler assembler;
        EXPECT_FALSE(assembler.Feed(Segment(0, 'N', 'A')));
        EXPECT_FALSE(assembler.Feed(frame));
        EXPECT_EQ(assembler.NextSegment(), 1);
        EXPECT_FALSE(assembler.Feed(Segment(1, 'M', 'E')));
        EXPECT_FALSE(assembler.Feed(Segment(2, ' ', ' ')));
        const auto name = assembler.Feed(Segment(3, ' ', '!'));
        ASSERT_TRUE(name);
        EXPECT_EQ(Text(*name), "NAME   !");
    }
}

TEST(PsNameAssembler, CapturedStationsGiveTheirNames) {
    const auto sections = rds_test::LoadRedseaVectors();
    ASSERT_EQ(sections.size(), 2U);  // one station on 0A groups, one on 0B
    const char* expected[] = {"YLE X3M ", "  KRKA  "};
    for (std::size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(sections[i].ps, expected[i]);
        PsNameAssembler assembler;
        std::optional<RdsPsName> last;
        for (const auto& [a, b, c, d] : sections[i].groups) {
            last = assembler.Feed(Group(a, b, c, d));
        }
        ASSERT_TRUE(last) << sections[i].ps;
        EXPECT_EQ(Text(*last), sections[i].ps);
    }
}

}  // namespace
