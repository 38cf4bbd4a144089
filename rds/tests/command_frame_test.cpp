#include <gtest/gtest.h>

#include <climits>

#include "rds/command_frame.h"

namespace {

struct CommandCase {
    const char* name;
    RdsCommand command;
    int frequency;
    int tuneParameter;
    int seekParameter;
    bool seekUp;
    RdsCommandFrame expected;
};

TEST(BuildRdsCommandFrame, EveryCommandAndItsEdges) {
    const CommandCase cases[] = {
        {"tune bottom of band", RdsCommand::Tune, 875, 0, 1, true, {0xFF, 0x73, 0x00, 0xF0, 0x73}},
        {"tune top of band", RdsCommand::Tune, 1080, 15, 1, true, {0xFF, 0x73, 0xCD, 0xFF, 0x73}},
        {"tune mid band", RdsCommand::Tune, 1000, 7, 3, false, {0xFF, 0x73, 0x7D, 0xF7, 0x73}},
        // Values outside the controls' ranges pass on in their low 8 bits.
        {"tune wraps below band",
         RdsCommand::Tune,
         874,
         0,
         1,
         true,
         {0xFF, 0x73, 0xFF, 0xF0, 0x73}},
        {"tune wraps a band up",
         RdsCommand::Tune,
         875 + 256,
         0,
         1,
         true,
         {0xFF, 0x73, 0x00, 0xF0, 0x73}},
        {"tune parameter 16 overlaps",
         RdsCommand::Tune,
         875,
         16,
         1,
         true,
         {0xFF, 0x73, 0x00, 0xF0, 0x73}},
        {"tune extreme values",
         RdsCommand::Tune,
         INT_MIN,
         INT_MAX,
         1,
         true,
         {0xFF, 0x73, 0x95, 0xFF, 0x73}},
        {"seek up", RdsCommand::Seek, 875, 0, 1, true, {0xFF, 0x59, 0xFE, 0x01, 0x59}},
        {"seek down", RdsCommand::Seek, 875, 0, 2, false, {0xFF, 0x58, 0xFE, 0x02, 0x58}},
        {"seek ignores frequency",
         RdsCommand::Seek,
         1080,
         15,
         3,
         true,
         {0xFF, 0x59, 0xFE, 0x03, 0x59}},
        {"seek parameter low byte",
         RdsCommand::Seek,
         875,
         0,
         0x1FF,
         false,
         {0xFF, 0x58, 0xFE, 0xFF, 0x58}},
        {"level", RdsCommand::ShowLevel, 1080, 15, 3, true, {0xFF, 0x6C, 0x00, 0x00, 0x6C}},
        {"version", RdsCommand::ShowVersion, 1080, 15, 3, true, {0xFF, 0x56, 0x00, 0x00, 0x56}},
        {"mute on", RdsCommand::MuteOn, 1080, 15, 3, true, {0xFF, 0x6D, 0x00, 0x00, 0x6D}},
        {"mute off", RdsCommand::MuteOff, 1080, 15, 3, false, {0xFF, 0x6D, 0x01, 0x00, 0x6D}},
        {"below the commands", static_cast<RdsCommand>(0), 900, 1, 1, true, {0, 0, 0, 0, 0}},
        {"above the commands", static_cast<RdsCommand>(7), 900, 1, 1, true, {0, 0, 0, 0, 0}},
        {"negative command", static_cast<RdsCommand>(-1), 900, 1, 1, true, {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildRdsCommandFrame(c.command, c.frequency, c.tuneParameter, c.seekParameter,
                                       c.seekUp),
                  c.expected)
            << c.name;
    }
}

}  // namespace
