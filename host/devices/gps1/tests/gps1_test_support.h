// A unit with the GPS1: component, built from unit.toml text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/gps1/gps1_component.h"
#include "host/gps1/gps1_driver.h"
#include "host/unit/test_unit.h"
#include "platform/win_types.h"

namespace gps1_test {

using namespace platform;

// A unit whose registry names GPS1: as an active driver.
class Gps1Unit {
  public:
    void Load(const std::string& toml) {
        t.Toml(toml).Registry(
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\GPS]\n\"Prefix\"=\"GPS\"\n"
            "\"Index\"=dword:00000001\n\n[HKEY_LOCAL_MACHINE\\Drivers\\Active\\12]\n"
            "\"Hnd\"=dword:0008a340\n\"Name\"=\"GPS1:\"\n");
        ASSERT_TRUE(t.Load()) << t.error();
        driver = host::gps1::FindGps1Driver(t.unit());
        ASSERT_NE(driver, nullptr);
    }
    host::unit::VirtualUnit& u() { return t.unit(); }

    HANDLE Open() {
        return u().CreateFile("GPS1:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    }
    DWORD Count(HANDLE h) {
        DWORD n = 0xDEAD;
        EXPECT_EQ(u().DeviceIoControl(h, 1, nullptr, 0, &n, sizeof n, nullptr), TRUE);
        return n;
    }
    std::string Read(HANDLE h, DWORD n) {
        std::string bytes(n, '\0');
        EXPECT_EQ(u().DeviceIoControl(h, 2, nullptr, 0, bytes.data(), n, nullptr), TRUE);
        return bytes;
    }
    std::string ReadAll(HANDLE h) { return Read(h, Count(h)); }

    host::unit::TestUnit t{{Gps1ComponentKind()}};
    host::gps1::Gps1Driver* driver = nullptr;
};

class Gps1Test : public ::testing::Test, public Gps1Unit {};

}  // namespace gps1_test
