// Files and directory searches as the system relies on them.
#include <algorithm>
#include <string>
#include <vector>

#include "conformance/backend_fixture.h"
#include "platform/handle.h"

namespace conformance {
namespace {

using namespace platform;

constexpr const char* kBook = "\\Mounted Volume\\Vesk\\book.txt";

HANDLE Open(std::string_view path, DWORD access, DWORD share, DWORD creation) {
    return CreateFile(path, access, share, creation, FILE_ATTRIBUTE_NORMAL);
}

std::string ReadAll(std::string_view path) {
    UniqueHandle h(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    std::string out;
    char buffer[64];
    DWORD read = 0;
    while (h.valid() && ReadFile(h.get(), buffer, sizeof buffer, &read) && read > 0) {
        out.append(buffer, read);
    }
    return out;
}

class ConformanceFiles : public ConformanceTest {};

TEST_F(ConformanceFiles, OpenDispositionsAndTheirCodes) {
    ASSERT_TRUE(Start({.files = {{kBook, "abc"}}}));
    struct Case {
        const char* path;
        DWORD creation;
        bool opens;
        DWORD error;  // last error after the call, success or not
    };
    const Case cases[] = {
        {kBook, OPEN_EXISTING, true, ERROR_SUCCESS},
        {"\\Mounted Volume\\Vesk\\BOOK.TXT", OPEN_EXISTING, true, ERROR_SUCCESS},
        {"\\Mounted Volume\\Vesk\\missing.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
        {"\\Mounted Volume\\Nowhere\\x.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND},
        {"\\Mounted Volume\\..\\..\\x.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND},
        {kBook, CREATE_NEW, false, ERROR_FILE_EXISTS},
        {kBook, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {"\\Mounted Volume\\Vesk\\new.txt", OPEN_ALWAYS, true, ERROR_SUCCESS},
        {kBook, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS},
    };
    for (const Case& c : cases) {
        SetLastError(0xDEAD);
        UniqueHandle h(Open(c.path, GENERIC_READ | GENERIC_WRITE, 0, c.creation));
        EXPECT_EQ(h.valid(), c.opens) << c.path << " " << c.creation;
        EXPECT_EQ(GetLastError(), c.error) << c.path << " " << c.creation;
    }
}

TEST_F(ConformanceFiles, ShareModesRefuseASecondOpen) {
    ASSERT_TRUE(Start({.files = {{kBook, "abc"}}}));
    {
        UniqueHandle first(Open(kBook, GENERIC_READ, 0, OPEN_EXISTING));
        ASSERT_TRUE(first.valid());
        EXPECT_EQ(Open(kBook, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    UniqueHandle reader(Open(kBook, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    UniqueHandle second(Open(kBook, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_TRUE(second.valid());
    EXPECT_EQ(Open(kBook, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST_F(ConformanceFiles, ReadsAndWritesAtTheEnd) {
    ASSERT_TRUE(Start({.folders = {"\\Mounted Volume\\Vesk"}}));
    {
        UniqueHandle h(Open(kBook, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW));
        ASSERT_TRUE(h.valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h.get(), "hello", 5, &written));
        EXPECT_EQ(written, 5U);
        // The position is at the end: a read there succeeds with nothing.
        char buffer[8] = {};
        DWORD read = 99;
        EXPECT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &read));
        EXPECT_EQ(read, 0U);
        ASSERT_TRUE(WriteFile(h.get(), " world", 6, &written));
    }
    EXPECT_EQ(ReadAll(kBook), "hello world");
    UniqueHandle h(Open(kBook, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    char buffer[16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h.get(), buffer, 4, &read));
    EXPECT_EQ(std::string(buffer, read), "hell");
    EXPECT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &read));
    EXPECT_EQ(std::string(buffer, read), "o world");
    EXPECT_FALSE(WriteFile(h.get(), "x", 1, &read)) << "written through a read-only handle";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

std::vector<std::string> Find(std::string_view pattern, DWORD* error) {
    std::vector<std::string> names;
    WIN32_FIND_DATA data;
    UniqueFind find(FindFirstFile(pattern, &data));
    if (!find.valid()) {
        *error = GetLastError();
        return names;
    }
    do {
        names.push_back(
            data.cFileName +
            std::string((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : ""));
    } while (FindNextFile(find.get(), &data));
    *error = GetLastError();
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ConformanceFiles, FindFirstFilePatternsIgnoreCase) {
    ASSERT_TRUE(Start({.files = {{"\\Maps\\Spain.MAP", "1"},
                                 {"\\Maps\\france.map", "22"},
                                 {"\\Maps\\a.mapx", "3"},
                                 {"\\Maps\\README", "4"}},
                       .folders = {"\\Maps\\Sub"}}));
    struct Case {
        const char* pattern;
        std::vector<std::string> names;  // sorted; "\\" marks a folder
        DWORD error;                     // after the search ends or fails
    };
    // Desktop Windows also matches 8.3 short names ("*.map" finds a.mapx
    // through A~1.MAP) and lists "." and ".."; the unit has no short names
    // and no such entries, and the Win32 backend keeps the unit's rule.
    const Case cases[] = {
        {"\\maps\\*.map", {"Spain.MAP", "france.map"}, ERROR_NO_MORE_FILES},
        {"\\MAPS\\*.*",
         {"README", "Spain.MAP", "Sub\\", "a.mapx", "france.map"},
         ERROR_NO_MORE_FILES},
        {"\\Maps\\readme", {"README"}, ERROR_NO_MORE_FILES},
        {"\\Maps\\?????.map", {"Spain.MAP"}, ERROR_NO_MORE_FILES},
        {"\\Maps\\*.rte", {}, ERROR_FILE_NOT_FOUND},
        {"\\Nowhere\\*.map", {}, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(Find(c.pattern, &error), c.names) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
    WIN32_FIND_DATA data;
    UniqueFind find(FindFirstFile("\\Maps\\france.map", &data));
    ASSERT_TRUE(find.valid());
    EXPECT_EQ(data.nFileSizeLow, 2U);
    EXPECT_EQ(data.nFileSizeHigh, 0U);
}

TEST_F(ConformanceFiles, LinksLeadingOutOfTheRootAreRefused) {
    constexpr const char* kMap = "\\Vesk\\a.map";
    constexpr const char* kNowhere = "\\Mounted Volume\\nowhere";
    ASSERT_TRUE(Start({.files = {{kMap, "map"}},
                       .links = {{"\\Mounted Volume\\out", Link::To::OutsideFolder},
                                 {"\\Mounted Volume\\secret.lnk", Link::To::OutsideFile},
                                 {kNowhere, Link::To::Nowhere},
                                 {"\\Mounted Volume\\maps", Link::To::Inside, "\\Vesk"}}}));
    if (const auto why = B().LinksUnavailable()) {
        GTEST_SKIP() << *why;
    }
    // Every call through a link to something outside fails as a path that
    // is not there; through a link to nothing it fails too (wine cannot
    // see such a link, so its code is a missing file's there).
    for (const char* path : {"\\Mounted Volume\\out\\secret.txt", "\\Mounted Volume\\out\\new.txt",
                             "\\Mounted Volume\\secret.lnk", kNowhere}) {
        SCOPED_TRACE(path);
        const auto refused = [&](bool failed) {
            EXPECT_TRUE(failed);
            if (path != kNowhere) {
                EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
            }
        };
        for (const DWORD creation :
             {DWORD{OPEN_EXISTING}, DWORD{CREATE_ALWAYS}, DWORD{CREATE_NEW}}) {
            SCOPED_TRACE(creation);
            UniqueHandle h(Open(path, GENERIC_READ | GENERIC_WRITE, 0, creation));
            refused(!h.valid());
        }
        refused(!DeleteFile(path));
        refused(!CopyFile(kMap, path, FALSE));
        refused(!CopyFile(path, "\\Vesk\\copy.txt", FALSE));
        DWORD error = 0;
        refused(Find(path, &error).empty());
    }
    DWORD error = 0;
    EXPECT_TRUE(Find("\\Mounted Volume\\out\\*", &error).empty());
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    std::uint64_t free = 0;
    EXPECT_FALSE(GetDiskFreeSpaceEx("\\Mounted Volume\\out\\", &free, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    // A link that stays inside is followed, and the listing leaves the
    // others out.
    EXPECT_EQ(ReadAll("\\Mounted Volume\\maps\\a.map"), "map");
    EXPECT_EQ(Find("\\Mounted Volume\\*", &error), (std::vector<std::string>{"maps\\"}));
    EXPECT_TRUE(B().OutsideUntouched());
}

TEST_F(ConformanceFiles, CopyWithAndWithoutOverwrite) {
    ASSERT_TRUE(Start({.files = {{"\\a\\factory.ini", "factory"}, {"\\a\\user.ini", "user"}}}));
    EXPECT_FALSE(CopyFile("\\a\\factory.ini", "\\a\\user.ini", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadAll("\\a\\user.ini"), "user");
    EXPECT_TRUE(CopyFile("\\a\\factory.ini", "\\a\\user.ini", FALSE));
    EXPECT_EQ(ReadAll("\\a\\user.ini"), "factory");
    EXPECT_TRUE(CopyFile("\\a\\factory.ini", "\\a\\fresh.ini", TRUE));
    EXPECT_EQ(ReadAll("\\a\\fresh.ini"), "factory");
    EXPECT_FALSE(CopyFile("\\a\\missing.ini", "\\a\\other.ini", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // The copy keeps the source's last-write time.
    WIN32_FIND_DATA source;
    WIN32_FIND_DATA copy;
    UniqueFind a(FindFirstFile("\\a\\factory.ini", &source));
    UniqueFind b(FindFirstFile("\\a\\fresh.ini", &copy));
    ASSERT_TRUE(a.valid() && b.valid());
    EXPECT_EQ(copy.ftLastWriteTime.dwLowDateTime, source.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(copy.ftLastWriteTime.dwHighDateTime, source.ftLastWriteTime.dwHighDateTime);
}

TEST_F(ConformanceFiles, DeleteAndItsRefusals) {
    ASSERT_TRUE(Start({.files = {{"\\Log\\a.log", "a"}, {"\\Log\\b.log", "b"}}}));
    EXPECT_FALSE(DeleteFile("\\Log\\missing.log"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFile("\\Nowhere\\a.log"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(DeleteFile("\\Log"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    {
        UniqueHandle open(Open("\\Log\\b.log", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        EXPECT_FALSE(DeleteFile("\\Log\\b.log"));
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(DeleteFile("\\log\\A.LOG"));
    EXPECT_EQ(Open("\\Log\\a.log", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ConformanceFiles, DiskSizesAndFileTimes) {
    ASSERT_TRUE(Start({.folders = {"\\Mounted Volume"}}));
    std::uint64_t available = 0;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx("\\Mounted Volume\\", &available, &total, &free));
    EXPECT_GT(total, 0U);
    EXPECT_LE(free, total);
    EXPECT_LE(available, free);
    // A missing folder is a missing file at its own level, a missing path
    // below that.
    const std::pair<const char*, DWORD> missing[] = {
        {"\\Nowhere\\", ERROR_FILE_NOT_FOUND},
        {"\\Nowhere", ERROR_FILE_NOT_FOUND},
        {"\\Nowhere\\Deeper\\", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& [folder, error] : missing) {
        EXPECT_FALSE(GetDiskFreeSpaceEx(folder, &available, &total, &free)) << folder;
        EXPECT_EQ(GetLastError(), error) << folder;
    }

    struct Case {
        std::uint64_t ticks;  // 100 ns since 1601-01-01
        SYSTEMTIME time;
    };
    const Case cases[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {127860412290000000ULL, {2006, 3, 0, 5, 14, 7, 9, 0}},
        // a leap day; ticks below a millisecond are dropped
        {133537247999990005ULL, {2024, 2, 4, 29, 23, 59, 59, 999}},
    };
    for (const Case& c : cases) {
        const FILETIME ft{static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(ft, &st)) << c.ticks;
        EXPECT_EQ(
            std::vector<WORD>({st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute,
                               st.wSecond, st.wMilliseconds}),
            std::vector<WORD>({c.time.wYear, c.time.wMonth, c.time.wDayOfWeek, c.time.wDay,
                               c.time.wHour, c.time.wMinute, c.time.wSecond, c.time.wMilliseconds}))
            << c.ticks;
    }
    SYSTEMTIME st;
    EXPECT_FALSE(FileTimeToSystemTime({0, 0x80000000U}, &st));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace conformance
