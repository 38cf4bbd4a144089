// A value read whole while another program rewrites it.
#include "registry_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace win32::pc {
namespace {

// A value that takes each length in turn, one step further at every query
// that reads its data.
class ChangingValue {
  public:
    explicit ChangingValue(std::vector<::DWORD> lengths) : lengths_(std::move(lengths)) {}

    LONG operator()(::DWORD* type, BYTE* data, ::DWORD* size) {
        *type = REG_BINARY;
        const ::DWORD length = lengths_[std::min(step_, lengths_.size() - 1)];
        if (data == nullptr) {
            *size = length;
            return ERROR_SUCCESS;
        }
        ++step_;
        const ::DWORD now = lengths_[std::min(step_, lengths_.size() - 1)];
        if (*size < now) {
            *size = now;
            return ERROR_MORE_DATA;
        }
        std::fill_n(data, now, BYTE{0x5A});
        *size = now;
        return ERROR_SUCCESS;
    }

  private:
    std::vector<::DWORD> lengths_;
    std::size_t step_ = 0;
};

TEST(RegistryValueTest, AValueThatGrowsBetweenTheQueriesIsReadWhole) {
    struct Case {
        const char* name;
        std::vector<::DWORD> lengths;  // before the first read, then after each
        LONG result;
        std::size_t size;
    };
    const Case cases[] = {
        {"unchanged", {6, 6}, ERROR_SUCCESS, 6},
        {"grown once", {4, 40, 40}, ERROR_SUCCESS, 40},
        {"grown twice", {0, 8, 300, 300}, ERROR_SUCCESS, 300},
        {"shrunk", {40, 4}, ERROR_SUCCESS, 4},
        {"growing for ever",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
         ERROR_MORE_DATA,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChangingValue value(c.lengths);
        WholeValue whole;
        EXPECT_EQ(ReadWholeValue(std::ref(value), &whole), c.result);
        EXPECT_EQ(whole.data.size(), c.size);
    }
}

}  // namespace
}  // namespace win32::pc
