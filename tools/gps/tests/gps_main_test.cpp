#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gps/gps_main.h"
#include "test_support/recording_platform.h"

namespace {

using gps::GpsMain;
using test_support::CallLog;
using test_support::Dword;
using test_support::RecordingPlatform;

const std::string kParameterError = "MessageBox(Parametros incorrectos, Error, 0)";
const std::string kNoDevice = "MessageBox(No existe ese dispositivo, Error, 0)";

std::string Activate(const std::string& name) {
    return "ActivateDevice(Drivers\\BuiltIn\\" + name + ", 0)";
}

// The calls of an "off" that finds its active key with a 4-byte "Hnd".
CallLog Unload(const std::string& name, const std::string& handle) {
    const std::string key = "Drivers\\Active\\" + name;
    return {"RegOpenKeyEx(HKLM, " + key + ", 0, 1)", "RegQueryValueEx(" + key + ", Hnd, 4)",
            "RegCloseKey(" + key + ")", "DeactivateDevice(" + handle + ")",
            "CloseHandle(" + handle + ")"};
}

// The calls of an "off" whose key has no usable "Hnd": nothing is unloaded.
CallLog NoHandle(const std::string& name) {
    const std::string key = "Drivers\\Active\\" + name;
    return {"RegOpenKeyEx(HKLM, " + key + ", 0, 1)", "RegQueryValueEx(" + key + ", Hnd, 4)",
            "RegCloseKey(" + key + ")"};
}

CallLog Missing(const std::string& name) {
    return {"RegOpenKeyEx(HKLM, Drivers\\Active\\" + name + ", 0, 1)", kNoDevice};
}

struct Case {
    const char* what;
    std::string line;
    CallLog calls;
    int exitCode;
    platform::HANDLE activateResult = 0x77;
};

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += unit;
    }
    return out;
}

class GpsMainTable : public ::testing::TestWithParam<Case> {};

TEST_P(GpsMainTable, CallsMessagesAndExitCode) {
    const Case& c = GetParam();
    RecordingPlatform unit;
    unit.registry.keys = {
        {"Drivers\\Active\\12", Dword(0x1234U)},
        {"Drivers\\Active\\ 12", Dword(0x99U)},
        {"Drivers\\Active\\NoHnd", std::nullopt},
        {"Drivers\\Active\\Short", std::vector<std::uint8_t>{0x34, 0x12}},
        {"Drivers\\Active\\Long", std::vector<std::uint8_t>(8, 0x11)},
        {"Drivers\\Active\\" + Repeat("a", 255), Dword(0xABCDU)},
    };
    unit.registry.activateResult = c.activateResult;
    platform::ScopedServices installed(unit.AsServices());

    EXPECT_EQ(GpsMain(c.line), c.exitCode);
    EXPECT_EQ(unit.log, c.calls);
    EXPECT_EQ(unit.registry.OpenKeys(), 0U);
}

const std::string k255 = Repeat("a", 255);
const std::string k256 = Repeat("a", 256);
const std::string kE255 = Repeat("\xC3\xA9", 255);              // one wide character each
const std::string kSmile128 = Repeat("\xF0\x9F\x98\x80", 128);  // two wide characters each

INSTANTIATE_TEST_SUITE_P(
    CommandLines, GpsMainTable,
    ::testing::Values(
        Case{"on loads the built-in key", "on GPS", {Activate("GPS"), "CloseHandle(0x77)"}, 0},
        Case{"on whose load fails", "on GPS", {Activate("GPS")}, 0, 0},
        Case{"off unloads the active entry", "off 12", Unload("12", "0x1234"), 0},
        Case{"off of an unknown entry", "off 13", Missing("13"), 1},
        Case{"off of an entry without Hnd", "off NoHnd", NoHandle("NoHnd"), 0},
        Case{"off of an entry with a 2-byte Hnd", "off Short", NoHandle("Short"), 0},
        Case{"off of an entry with an 8-byte Hnd", "off Long", NoHandle("Long"), 0},
        Case{"capitals are no command", "ON GPS", {}, 0},
        Case{"mixed case is no command", "Off 12", {}, 0}, Case{"another word", "load GPS", {}, 0},
        Case{"empty first word", " GPS", {}, 0}, Case{"empty line", "", {kParameterError}, 1},
        Case{"word alone", "on", {kParameterError}, 1},
        Case{"word and one space", "on ", {kParameterError}, 1},
        Case{"off alone", "off", {kParameterError}, 1},
        Case{"a tab is not a space", "on\tGPS", {kParameterError}, 1},
        Case{"two spaces keep one in the name",
             "on  GPS",
             {Activate(" GPS"), "CloseHandle(0x77)"},
             0},
        Case{"two spaces off", "off  12", Unload(" 12", "0x99"), 0},
        Case{"later spaces stay in the name",
             "on GPS 2 ",
             {Activate("GPS 2 "), "CloseHandle(0x77)"},
             0},
        Case{"the line ends at NUL",
             std::string("on GPS\0X", 8),
             {Activate("GPS"), "CloseHandle(0x77)"},
             0},
        Case{"NUL before the space", std::string("on\0GPS", 6), {kParameterError}, 1},
        Case{"255-character name", "on " + k255, {Activate(k255), "CloseHandle(0x77)"}, 0},
        Case{"255-character entry", "off " + k255, Unload(k255, "0xabcd"), 0},
        Case{"256-character name", "on " + k256, {kParameterError}, 1},
        Case{"256-character entry", "off " + k256, {kParameterError}, 1},
        Case{"255-character word", k255 + " GPS", {}, 0},
        Case{"256-character word", k256 + " GPS", {kParameterError}, 1},
        Case{"255 two-byte characters", "on " + kE255, {Activate(kE255), "CloseHandle(0x77)"}, 0},
        Case{"256 two-byte characters", "on " + kE255 + "a", {kParameterError}, 1},
        Case{"surrogate pairs count twice", "on " + kSmile128, {kParameterError}, 1}),
    [](const ::testing::TestParamInfo<Case>& param) {
        std::string name = std::to_string(param.index) + "_";
        for (const char* p = param.param.what; *p != '\0'; ++p) {
            name += std::isalnum(static_cast<unsigned char>(*p)) != 0 ? *p : '_';
        }
        return name;
    });

}  // namespace
