// The device contract against the unit's documentation: every name, code,
// address, offset and size as the documentation gives it. The system and
// the simulated unit read the same headers, so a wrong constant there would
// pass every other test; here it fails.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <utility>

#include "devices/com7.h"
#include "devices/driver_keys.h"
#include "devices/dsk1.h"
#include "devices/gpio.h"
#include "devices/gps1.h"
#include "devices/inf1.h"
#include "devices/intc.h"
#include "devices/log1.h"
#include "devices/nat1.h"
#include "devices/nor_flash.h"
#include "devices/pwm1.h"
#include "devices/touch_calibration.h"

namespace {

struct Number {
    const char* name;
    std::uint64_t contract;
    std::uint64_t documented;
};

TEST(DeviceContractTest, NumbersAreTheDocumentedOnes) {
    const Number numbers[] = {
        // GPIO block: address, size, registers, pins.
        {"GPIO address", kGpioAddress, 0xA7000000},
        {"GPIO bytes", kGpioBytes, 0x6C},
        {"GPIO pin level", kGpioPinLevel, 0x00},
        {"GPIO falling-edge detect enable", kGpioFallingEdge, 0x3C},
        {"GPIO edge detect status", kGpioEdgeStatus, 0x48},
        {"POWER key pin", kPowerKeyPin, 0},
        {"GUIDE key pin", kGuideKeyPin, 2},
        // The variant: bit 6 of the pin-level word at offset 4.
        {"variant word", kGpioPinLevel + GpioPinWordOffset(kVariantPin), 0x04},
        {"variant mask", GpioPinMask(kVariantPin), 0x40},
        {"POWER key mask", GpioPinMask(kPowerKeyPin), 0x01},
        {"GUIDE key mask", GpioPinMask(kGuideKeyPin), 0x04},
        // Interrupt controller.
        {"INTC address", kIntcAddress, 0xA6F00000},
        {"INTC bytes", kIntcBytes, 0x18},
        {"ICMR", kIntcIcmr, 0x04},
        {"power key source", kPowerKeySource, 0x100},
        // NOR flash window.
        {"NOR address", kNorAddress, 0xB8300000},
        {"NOR bytes", kNorBytes, 0x1000000},
        // Control codes.
        {"VESK_LOG_IOCTL_LOGGING_DISABLE", VESK_LOG_IOCTL_LOGGING_DISABLE, 1},
        {"VESK_INFO_IOCTL_GET_SYSTEM_VERSION", VESK_INFO_IOCTL_GET_SYSTEM_VERSION, 0},
        {"VESK_GPS_IOCTL_WAIT_DATA", VESK_GPS_IOCTL_WAIT_DATA, 0},
        {"VESK_GPS_IOCTL_GET_DATA_SIZE", VESK_GPS_IOCTL_GET_DATA_SIZE, 1},
        {"VESK_GPS_IOCTL_READ_DATA", VESK_GPS_IOCTL_READ_DATA, 2},
        {"VESK_GPS_IOCTL_GET_GPS_VERSION", VESK_GPS_IOCTL_GET_GPS_VERSION, 4},
        {"GPS version buffer", kGpsVersionBufferSize, 128},
        {"VESK_PWM_IOCTL_SET_AUTOMODE", VESK_PWM_IOCTL_SET_AUTOMODE, 0x8002},
        {"VESK_PWM_IOCTL_GET_MAX", VESK_PWM_IOCTL_GET_MAX, 0x10},
        {"VESK_PWM_IOCTL_GET_DUTY", VESK_PWM_IOCTL_GET_DUTY, 0x11},
        {"VESK_PWM_IOCTL_SET_DUTY", VESK_PWM_IOCTL_SET_DUTY, 0x8011},
        {"VESK_PHOTOSENSOR_IOCTL_GET_LEVEL", VESK_PHOTOSENSOR_IOCTL_GET_LEVEL, 0x13},
        {"radio muting off", VESK_NAVATT_IOCTL_MUTE_OFF, 0},
        {"radio muting on", VESK_NAVATT_IOCTL_MUTE_ON, 1},
        {"VESK_NAVATT_IOCTL_GET_LEVEL", VESK_NAVATT_IOCTL_GET_LEVEL, 2},
        // Storage identify record.
        {"identify code", kIdentifyCode, 0x72000},
        {"identify reply bytes", kStorageReplyBytes, 80},
        {"manufacturer identifier", kIdentifyManufactureId, 0},
        {"OEM identifier", kIdentifyOemId, 1},
        {"OEM identifier characters", kOemIdChars, 2},
        {"product name", kIdentifyProductName, 3},
        {"product name characters", kProductNameChars, 5},
        {"product version", kIdentifyProductVersion, 9},
        {"manufacture date", kIdentifyManufactureDate, 13},
        {"fields read", kIdentifyFieldBytes, 15},
        // System version word: major in the high 16 bits, minor in the low.
        {"version word", SystemVersionWord(2, 17), 0x00020011},
        {"major version", SystemVersionMajor(0x00030004), 3},
        {"minor version", SystemVersionMinor(0x00030004), 4},
        // Tuner module line, band, frames and codes.
        {"baud", kRdsBaudRate, 38400},
        {"data bits", kRdsByteSize, 8},
        {"lowest frequency", static_cast<std::uint64_t>(kRdsBaseFrequency), 875},
        {"highest frequency", static_cast<std::uint64_t>(kRdsTopFrequency), 1080},
        {"command frame bytes", kRdsCommandFrameSize, 5},
        {"command start", kRdsCommandStart, 0xFF},
        {"tune", kRdsCodeTune, 0x73},
        {"seek up", kRdsCodeSeekUp, 0x59},
        {"seek down", kRdsCodeSeekDown, 0x58},
        {"show level", kRdsCodeLevel, 0x6C},
        {"show version", kRdsCodeVersion, 0x56},
        {"muting", kRdsCodeMute, 0x6D},
        {"module frame bytes", kRdsFrameSize, 10},
        {"module frame marker", kRdsFrameMarker, 0x3F},
        {"version reply", kRdsReplyVersion, 0x56},
        {"level reply", kRdsReplyLevel, 0x6C},
        {"tune reply", kRdsReplyTune, 0x73},
        {"seek reply", kRdsReplySeek, 0x66},
        {"strength flag set", kRdsFlagSet, 0x01},
        {"tuned mark", kRdsTunedMark, 0x55},
    };
    for (const Number& n : numbers) {
        EXPECT_EQ(n.contract, n.documented) << n.name;
    }
    EXPECT_EQ(kRdsParity, platform::NOPARITY);
    EXPECT_EQ(kRdsStopBits, platform::ONESTOPBIT);
}

TEST(DeviceContractTest, NamesAreTheDocumentedOnes) {
    const std::pair<std::string_view, std::string_view> names[] = {
        {kRdsPortName, "COM7:"},
        {kDskDeviceName, "DSK1:"},
        {kGpsDeviceName, "GPS1:"},
        {kInfDeviceName, "INF1:"},
        {kLogDeviceName, "LOG1:"},
        {kNatDeviceName, "NAT1:"},
        {kPwmDeviceName, "PWM1:"},
        {kBuiltInDriversKey, "Drivers\\BuiltIn"},
        {kActiveDriversKey, "Drivers\\Active"},
        {kCalibrationFilePath, "\\Mounted Volume\\Vesk\\calib.dat"},
    };
    for (const auto& [contract, documented] : names) {
        EXPECT_EQ(contract, documented);
    }
}

}  // namespace
