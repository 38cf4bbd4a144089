#include <gtest/gtest.h>

#include <thread>

#include "platform/last_error.h"

namespace {

TEST(LastError, IsPerThread) {
    platform::SetLastError(platform::ERROR_FILE_NOT_FOUND);
    platform::DWORD seenByOther = 1234;
    std::thread other([&] {
        seenByOther = platform::GetLastError();
        platform::SetLastError(platform::ERROR_INVALID_HANDLE);
    });
    other.join();
    EXPECT_EQ(seenByOther, platform::ERROR_SUCCESS);
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_FILE_NOT_FOUND);
}

}  // namespace
