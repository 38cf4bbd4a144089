// Win32's sharing rules for a second open of the same file or device.
#include "share_table.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

constexpr DWORD kRead = GENERIC_READ;
constexpr DWORD kWrite = GENERIC_WRITE;
constexpr DWORD kBoth = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareRead = FILE_SHARE_READ;
constexpr DWORD kShareWrite = FILE_SHARE_WRITE;
constexpr DWORD kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST(ShareTable, ASecondOpenNeedsBothOpensToShareWhatTheOtherDoes) {
    struct Case {
        const char* name;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool allowed;
    };
    const Case cases[] = {
        {"both share everything", kBoth, kShareBoth, kBoth, kShareBoth, true},
        {"exclusive first", kRead, 0, kRead, kShareBoth, false},
        {"exclusive second", kRead, kShareBoth, kRead, 0, false},
        {"readers sharing reads", kRead, kShareRead, kRead, kShareRead, true},
        {"writer where only reads are shared", kRead, kShareRead, kWrite, kShareBoth, false},
        {"second leaves out the first's write", kWrite, kShareBoth, kRead, kShareRead, false},
        {"writers sharing writes", kWrite, kShareWrite, kWrite, kShareWrite, true},
        {"no access needs no sharing", 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host::unit::ShareTable table;
        std::uint64_t first = 0;
        std::uint64_t second = 0;
        ASSERT_EQ(table.Take("k", c.firstAccess, c.firstShare, &first), ERROR_SUCCESS);
        EXPECT_EQ(table.Take("k", c.secondAccess, c.secondShare, &second),
                  c.allowed ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION);
        EXPECT_EQ(table.Take("other", kBoth, 0, &second), ERROR_SUCCESS) << "keys are apart";
    }
}

TEST(ShareTable, ADroppedOpenNoLongerCounts) {
    host::unit::ShareTable table;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    ASSERT_EQ(table.Take("k", kBoth, 0, &first), ERROR_SUCCESS);
    ASSERT_EQ(table.Take("k", kBoth, kShareBoth, &second), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(table.Held("k"));
    table.Drop(first);
    EXPECT_FALSE(table.Held("k"));
    EXPECT_EQ(table.Take("k", kBoth, 0, &second), ERROR_SUCCESS);
    EXPECT_NE(second, first) << "ids are not reused";
}

}  // namespace
