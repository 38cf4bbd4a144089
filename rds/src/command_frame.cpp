#include "rds/command_frame.h"

namespace {

constexpr std::uint8_t LowByte(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFFU);
}
constexpr std::uint8_t LowByte(int value) {
    return LowByte(static_cast<unsigned>(value));
}

constexpr RdsCommandFrame Frame(std::uint8_t code, std::uint8_t first, std::uint8_t second) {
    return {kRdsCommandStart, code, first, second, code};
}

}  // namespace

RdsCommandFrame BuildRdsCommandFrame(RdsCommand command, int frequency, int tuneParameter,
                                     int seekParameter, bool seekUp) {
    switch (command) {
        case RdsCommand::Tune:
            // The channel modulo 256; unsigned so that no int value can overflow.
            return Frame(kRdsCodeTune,
                         LowByte(static_cast<unsigned>(frequency) -
                                 static_cast<unsigned>(kRdsBaseFrequency)),
                         LowByte(0xF0 | tuneParameter));
        case RdsCommand::Seek:
            return Frame(seekUp ? kRdsCodeSeekUp : kRdsCodeSeekDown, 0xFE, LowByte(seekParameter));
        case RdsCommand::ShowLevel:
            return Frame(kRdsCodeLevel, 0x00, 0x00);
        case RdsCommand::ShowVersion:
            return Frame(kRdsCodeVersion, 0x00, 0x00);
        case RdsCommand::MuteOn:
            return Frame(kRdsCodeMute, 0x00, 0x00);
        case RdsCommand::MuteOff:
            return Frame(kRdsCodeMute, 0x01, 0x00);
    }
    return {};
}
