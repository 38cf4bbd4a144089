#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "host/controls/controls_component.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

constexpr DWORD kAll = GENERIC_READ | GENERIC_WRITE;

struct Call {
    const char* name;
    std::function<BOOL(host::unit::VirtualUnit&)> run;
};

// One call per operation the fail tables name, each succeeding on a healthy unit.
std::vector<Call> Calls() {
    auto ioctl = [](const char* device, DWORD code) {
        return [device, code](host::unit::VirtualUnit& u) -> BOOL {
            const HANDLE h = u.CreateFile(device, kAll, 0, OPEN_EXISTING, 0);
            if (h == INVALID_HANDLE_VALUE) {
                return FALSE;
            }
            DWORD value = 0;
            DWORD returned = 0;
            const BOOL ok = u.DeviceIoControl(h, code, nullptr, 0, &value, 4, &returned);
            const DWORD error = GetLastError();
            u.CloseHandle(h);
            SetLastError(error);
            return ok;
        };
    };
    return {
        {"open",
         [](host::unit::VirtualUnit& u) -> BOOL {
             const HANDLE h = u.CreateFile("INF1:", kAll, 0, OPEN_EXISTING, 0);
             return h == INVALID_HANDLE_VALUE ? FALSE : u.CloseHandle(h);
         }},
        {"close",
         [](host::unit::VirtualUnit& u) -> BOOL {
             const HANDLE h = u.CreateFile("INF1:", kAll, 0, OPEN_EXISTING, 0);
             return u.CloseHandle(h);
         }},
        {"ioctl", ioctl("INF1:", 0)},
        {"ioctl:0x13", ioctl("PWM1:", 0x13)},
        {"ioctl:17", ioctl("PWM1:", 0x11)},
        {"createfile",
         [](host::unit::VirtualUnit& u) -> BOOL {
             const HANDLE h = u.CreateFile("\\x.txt", GENERIC_READ, 0, OPEN_EXISTING, 0);
             return h == INVALID_HANDLE_VALUE ? FALSE : u.CloseHandle(h);
         }},
        {"readfile:\\X.TXT",
         [](host::unit::VirtualUnit& u) -> BOOL {
             const HANDLE h = u.CreateFile("\\x.txt", GENERIC_READ, 0, OPEN_EXISTING, 0);
             char buffer[4];
             DWORD read = 0;
             const BOOL ok = u.ReadFile(h, buffer, sizeof buffer, &read);
             const DWORD error = GetLastError();
             u.CloseHandle(h);
             SetLastError(error);
             return ok;
         }},
        {"findfirstfile",
         [](host::unit::VirtualUnit& u) -> BOOL {
             WIN32_FIND_DATA data;
             const HANDLE h = u.FindFirstFile("\\*.txt", &data);
             return h == INVALID_HANDLE_VALUE ? FALSE : u.FindClose(h);
         }},
        {"copyfile",
         [](host::unit::VirtualUnit& u) { return u.CopyFile("\\x.txt", "\\y.txt", FALSE); }},
        {"deletefile",
         [](host::unit::VirtualUnit& u) {
             u.CopyFile("\\x.txt", "\\z.txt", FALSE);
             return u.DeleteFile("\\z.txt");
         }},
        {"getdiskfreespaceex",
         [](host::unit::VirtualUnit& u) {
             std::uint64_t total = 0;
             return u.GetDiskFreeSpaceEx("\\", nullptr, &total, nullptr);
         }},
        {"filetimetosystemtime",
         [](host::unit::VirtualUnit& u) {
             SYSTEMTIME st;
             return u.FileTimeToSystemTime(FILETIME{}, &st);
         }},
        {"localalloc",
         [](host::unit::VirtualUnit& u) -> BOOL {
             auto* p = static_cast<unsigned char*>(u.LocalAlloc(LPTR, 80));
             if (p == nullptr) {
                 return FALSE;
             }
             const bool zeroed = std::all_of(p, p + 80, [](unsigned char b) { return b == 0; });
             return zeroed && u.LocalFree(p) == nullptr ? TRUE : FALSE;
         }},
        {"createthread",
         [](host::unit::VirtualUnit& u) -> BOOL {
             const HANDLE h = u.CreateThread([] { return DWORD{0}; }, 3);
             if (h == 0) {
                 return FALSE;
             }
             u.WaitForSingleObject(h, INFINITE);
             return u.CloseHandle(h);
         }},
    };
}

bool IsDeviceOp(const std::string& op) {
    return op == "open" || op == "close" || op.rfind("ioctl", 0) == 0;
}

std::string DeviceOf(const std::string& op) {
    return op.rfind("ioctl:", 0) == 0 ? "PWM1:" : "INF1:";
}

class FaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.File("\\x.txt", "data");
        ASSERT_TRUE(t.Load()) << t.error();
    }
    // INF1: and PWM1: are the devices the calls use.
    host::unit::TestUnit t{host::controls::ControlKinds()};
};

TEST_F(FaultsTest, EveryInjectedFaultReachesTheCallerAsItsCode) {
    auto& u = t.unit();
    DWORD code = 1000;
    for (const auto& call : Calls()) {
        SCOPED_TRACE(call.name);
        const std::string op = call.name;
        EXPECT_EQ(call.run(u), TRUE) << "healthy";
        ++code;
        const std::string set =
            IsDeviceOp(op) ? u.FailDevice(DeviceOf(op), op, code) : u.FailKernel(op, code);
        ASSERT_EQ(set, "");
        SetLastError(0);
        EXPECT_EQ(call.run(u), FALSE);
        EXPECT_EQ(GetLastError(), code);
        IsDeviceOp(op) ? u.FailDevice(DeviceOf(op), op, 0) : u.FailKernel(op, 0);
        EXPECT_EQ(call.run(u), TRUE) << "cleared";
    }
    EXPECT_EQ(u.OpenHandles(), 0);
    EXPECT_EQ(u.LocalBlocks(), 0);
}

TEST_F(FaultsTest, ArgumentsNarrowAFault) {
    auto& u = t.unit();
    ASSERT_EQ(u.FailDevice("PWM1:", "ioctl:0x13", 31), "");
    const HANDLE h = u.CreateFile("PWM1:", kAll, 0, OPEN_EXISTING, 0);
    DWORD value = 0;
    DWORD returned = 0;
    EXPECT_EQ(u.DeviceIoControl(h, 0x10, nullptr, 0, &value, 4, &returned), TRUE);
    EXPECT_EQ(value, 10U);
    EXPECT_EQ(u.DeviceIoControl(h, 0x13, nullptr, 0, &value, 4, &returned), FALSE);
    EXPECT_EQ(GetLastError(), 31U);
    u.CloseHandle(h);
    EXPECT_NE(u.FailDevice("PWM1:", "iocontrol", 5), "");
    EXPECT_NE(u.FailDevice("PWM1:", "ioctl:abc", 5), "");
    EXPECT_NE(u.FailDevice("PWM1:", "open:3", 5), "");
    EXPECT_NE(u.FailKernel("virtualfree:", 5), "");
}

TEST_F(FaultsTest, AbsentDevicesAreNotFoundAndComeBack) {
    auto& u = t.unit();
    ASSERT_EQ(u.Set("pwm.absent", "true"), std::nullopt);
    EXPECT_EQ(u.CreateFile("PWM1:", kAll, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(u.CreateFile("XYZ9:", kAll, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(u.Set("pwm.absent", "false"), std::nullopt);
    const HANDLE h = u.CreateFile("pwm1:", kAll, 0, OPEN_EXISTING, 0);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(u.CreateFile("PWM1:", kAll, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE)
        << "opened without sharing";
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    u.CloseHandle(h);
}

TEST_F(FaultsTest, FaultsAndLastErrorsBelongToTheCallingThread) {
    auto& u = t.unit();
    ASSERT_EQ(u.Set("pwm.fail.ioctl:0x13", "31"), std::nullopt);
    std::atomic<DWORD> workerError{0};
    std::atomic<BOOL> workerResult{TRUE};
    SetLastError(1234);
    const HANDLE worker = u.CreateThread(
        [&u, &workerError, &workerResult]() -> DWORD {
            const HANDLE h = u.CreateFile("PWM1:", kAll, FILE_SHARE_READ, OPEN_EXISTING, 0);
            DWORD level = 0;
            workerResult = u.DeviceIoControl(h, 0x13, nullptr, 0, &level, 4, nullptr);
            workerError = GetLastError();
            u.CloseHandle(h);
            return 0;
        },
        3);
    ASSERT_NE(worker, 0);
    EXPECT_EQ(u.WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(u.CloseHandle(worker), TRUE);
    EXPECT_EQ(workerResult.load(), FALSE);
    EXPECT_EQ(workerError.load(), 31U);
    EXPECT_EQ(GetLastError(), 1234U) << "the worker's failure is not this thread's";
}

}  // namespace
