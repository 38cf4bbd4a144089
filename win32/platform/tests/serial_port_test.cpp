// The port over a driver that cannot wait for events and says so at once
// (wine's ends the wait later; another may refuse it on the spot): the
// events come from the queue count, and a new mask still ends the wait.
#include "serial_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace win32::pc {
namespace {

std::atomic<::DWORD> queued{0};

BOOL WINAPI AnyMask(::HANDLE /*port*/, ::DWORD /*mask*/) {
    return TRUE;
}

BOOL WINAPI RefusedAtOnce(::HANDLE /*port*/, ::DWORD* /*events*/, OVERLAPPED* /*ov*/) {
    ::SetLastError(ERROR_OPERATION_ABORTED);
    return FALSE;
}

BOOL WINAPI CountQueue(::HANDLE /*port*/, ::DWORD* errors, ::COMSTAT* status) {
    *errors = 0;
    *status = {};
    status->cbInQue = queued.load();
    return TRUE;
}

TEST(SerialPortTest, ADriverThatRefusesAWaitAtOnceLeavesTheEventsToTheQueueCount) {
    // An event handle stands for the port: the calls that reach it are the
    // ones the stand-ins leave to Win32 (cancelling, closing).
    const ::HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(handle, nullptr);
    SerialPort port(
        handle,
        {.setCommMask = AnyMask, .waitCommEvent = RefusedAtOnce, .clearCommError = CountQueue});
    ASSERT_TRUE(port.SetMask(EV_RXCHAR));
    queued = 1;
    platform::DWORD events = 0xFFFF;
    EXPECT_TRUE(port.WaitEvent(&events));
    EXPECT_EQ(events, static_cast<platform::DWORD>(EV_RXCHAR));

    // Nothing queued: the wait goes on until the mask changes.
    queued = 0;
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        events = 0xFFFF;
        port.WaitEvent(&events);
        done = true;
    });
    while (port.Waiting() == 0) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    ASSERT_TRUE(port.SetMask(0));
    waiter.join();
    EXPECT_EQ(events, 0U);
}

}  // namespace
}  // namespace win32::pc
