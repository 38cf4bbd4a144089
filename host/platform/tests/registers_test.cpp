#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "host/unit/registers.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

// Reserves and maps a block the way the system does; null on failure.
volatile std::uint32_t* Map(host::unit::VirtualUnit& u, const host::unit::RegisterBlock& block) {
    void* p = u.VirtualAlloc(nullptr, block.size, MEM_RESERVE, PAGE_NOACCESS);
    if (p == nullptr) {
        return nullptr;
    }
    if (u.VirtualCopy(p, block.base, block.size, PAGE_READWRITE | PAGE_NOCACHE) == FALSE) {
        const DWORD e = GetLastError();
        u.VirtualFree(p, 0, MEM_RELEASE);
        SetLastError(e);
        return nullptr;
    }
    return static_cast<volatile std::uint32_t*>(p);
}

std::uint16_t NorSum(const volatile std::uint32_t* flash) {
    std::uint16_t sum = 0;
    const auto* words = reinterpret_cast<const volatile std::uint16_t*>(flash);
    for (std::uint32_t i = 0; i < host::unit::kNorBlock.size / 2; ++i) {
        sum = static_cast<std::uint16_t>(sum + words[i]);
    }
    return sum;
}

TEST(Registers, MappingAndUnitShareTheSameWords) {
    host::unit::TestUnit t;
    t.Toml("[gpio]\nvariant = \"tamsel\"\nfalling_edge = 0x00000005\n[intc]\nicmr = 0x00000100\n");
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    volatile std::uint32_t* gpio = Map(u, host::unit::kGpioBlock);
    volatile std::uint32_t* intc = Map(u, host::unit::kIntcBlock);
    ASSERT_NE(gpio, nullptr);
    ASSERT_NE(intc, nullptr);
    EXPECT_EQ(u.Reservations(), 2);

    EXPECT_EQ(gpio[0x3C / 4], 0x5U);
    EXPECT_EQ(intc[0x04 / 4], 0x100U);
    EXPECT_EQ(gpio[0x04 / 4] & 0x40U, 0U) << "Tamsel";

    ASSERT_EQ(u.Set("gpio.power_key", "1"), std::nullopt);
    ASSERT_EQ(u.Set("gpio.guide_key", "1"), std::nullopt);
    EXPECT_EQ(gpio[0] & 0x5U, 0x5U) << "pins 0 and 2 as the system reads them";
    ASSERT_EQ(u.Set("gpio.variant", "corvin"), std::nullopt);
    EXPECT_EQ(gpio[0x04 / 4] & 0x40U, 0x40U);

    gpio[0x3C / 4] = gpio[0x3C / 4] & ~1U;
    intc[0x04 / 4] = intc[0x04 / 4] & ~0x100U;
    EXPECT_EQ(u.ReadWord(host::unit::kGpioBlock.base + 0x3C), 0x4U)
        << "the unit sees the system's write";
    EXPECT_EQ(u.ReadWord(host::unit::kIntcBlock.base + 0x04), 0x0U);

    EXPECT_EQ(u.VirtualFree(const_cast<std::uint32_t*>(gpio), 0, MEM_RELEASE), TRUE);
    EXPECT_EQ(u.VirtualFree(const_cast<std::uint32_t*>(intc), 0x18, MEM_RELEASE), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(u.VirtualFree(const_cast<std::uint32_t*>(intc), 0, MEM_RELEASE), TRUE);
    EXPECT_EQ(u.VirtualFree(const_cast<std::uint32_t*>(intc), 0, MEM_RELEASE), FALSE);
    EXPECT_EQ(u.Reservations(), 0);
}

TEST(Registers, EachStepFailsWithItsCodeForItsBlockOnly) {
    struct Case {
        const char* fault;
        int failingStep;  // 1 reserve, 2 map, 3 release
    } cases[] = {
        {"virtualalloc:0x1000000", 1},
        {"virtualalloc", 1},
        {"virtualcopy:0xB8300000", 2},
        {"virtualfree:0xB8300000", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        host::unit::TestUnit t;
        ASSERT_TRUE(t.Load()) << t.error();
        auto& u = t.unit();
        ASSERT_EQ(u.FailKernel(c.fault, 87), "");
        // The GPIO block is hit only by the faults without an argument.
        void* gpio =
            u.VirtualAlloc(nullptr, host::unit::kGpioBlock.size, MEM_RESERVE, PAGE_NOACCESS);
        EXPECT_EQ(gpio == nullptr, std::string(c.fault) == "virtualalloc");

        int failed = 0;
        void* nor = u.VirtualAlloc(nullptr, host::unit::kNorBlock.size, MEM_RESERVE, PAGE_NOACCESS);
        if (nor == nullptr) {
            failed = 1;
        } else if (u.VirtualCopy(nor, host::unit::kNorBlock.base, host::unit::kNorBlock.size,
                                 PAGE_READWRITE | PAGE_NOCACHE) == FALSE) {
            failed = 2;
        } else if (u.VirtualFree(nor, 0, MEM_RELEASE) == FALSE) {
            failed = 3;
        }
        EXPECT_EQ(failed, c.failingStep);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(Registers, MappingRejectsWhatTheHardwareDoesNotHave) {
    host::unit::TestUnit t;
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    void* p = u.VirtualAlloc(nullptr, 0x1000, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(p, nullptr);
    const struct {
        std::uint32_t address;
        DWORD size;
        DWORD protect;
    } bad[] = {
        {0xA5000000U, 0x10, PAGE_READWRITE},                  // nothing there
        {host::unit::kGpioBlock.base, 0x70, PAGE_READWRITE},  // past the block
        {host::unit::kGpioBlock.base, 0x6C, PAGE_NOACCESS},
    };
    for (const auto& b : bad) {
        EXPECT_EQ(u.VirtualCopy(p, b.address, b.size, b.protect), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    int outside = 0;
    EXPECT_EQ(u.VirtualCopy(&outside, host::unit::kGpioBlock.base, 4, PAGE_READWRITE), FALSE)
        << "only into a reservation";
    EXPECT_EQ(u.VirtualFree(p, 0, MEM_RELEASE), TRUE);
}

TEST(Registers, GeneratedFlashSumsToItsDocumentedValue) {
    {
        host::unit::TestUnit t;
        ASSERT_TRUE(t.Load()) << t.error();
        volatile std::uint32_t* flash = Map(t.unit(), host::unit::kNorBlock);
        ASSERT_NE(flash, nullptr);
        EXPECT_EQ(NorSum(flash), host::unit::kNorPatternSum);
        EXPECT_EQ(flash[host::unit::kNorBlock.size / 4 - 1], 0xFFFFFFFFU) << "erased at the end";
        t.unit().VirtualFree(const_cast<std::uint32_t*>(flash), 0, MEM_RELEASE);
    }
}

TEST(Registers, FlashImageWithFillSumsAsWritten) {
    host::unit::TestUnit t;
    // Words 0xFFFF and 0x0001 sum to exactly 65536; the rest is filled with 0.
    t.Toml("[nor]\nimage = \"nor.bin\"\nfill = 0\n")
        .UnitFile("nor.bin", std::string("\xFF\xFF\x01\x00\x34\x12", 6));
    ASSERT_TRUE(t.Load()) << t.error();
    volatile std::uint32_t* flash = Map(t.unit(), host::unit::kNorBlock);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(NorSum(flash), 0x1234) << "0xFFFF + 0x0001 wraps to 0";
    EXPECT_EQ(t.unit().ReadWord(host::unit::kNorBlock.base), 0x0001FFFFU);
    t.unit().VirtualFree(const_cast<std::uint32_t*>(flash), 0, MEM_RELEASE);
}

}  // namespace
