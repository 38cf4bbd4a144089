#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

class PathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.File("\\Mounted Volume\\Vesk\\PLOVA\\PLOVA.EXE", "exe")
            .File("\\Mounted Volume\\Vesk\\calib.dat", "cal")
            .File("\\Mounted Volume\\Vesk\\Europe.map", "0123456789")
            .File("\\Mounted Volume\\Vesk\\iberia.MAP", "m")
            .File("\\Mounted Volume\\Vesk\\notes.mapx", "x")
            .File("\\Mounted Volume\\Vesk\\README", "r")
            .File("\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\a.rte", "1")
            .File("\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\b.RTE", "2")
            .File("\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\a.rtex", "3")
            .Dir("\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\old.rte");
        ASSERT_TRUE(t.Load()) << t.error();
    }

    // Names FindFirstFile/FindNextFile return for a pattern, or the error.
    std::vector<std::string> Find(const std::string& pattern, DWORD* error = nullptr) {
        std::vector<std::string> names;
        WIN32_FIND_DATA data;
        const HANDLE h = t.unit().FindFirstFile(pattern, &data);
        if (h == INVALID_HANDLE_VALUE) {
            if (error != nullptr) {
                *error = GetLastError();
            }
            return names;
        }
        do {
            names.push_back(data.cFileName);
        } while (t.unit().FindNextFile(h, &data) != FALSE);
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_EQ(t.unit().FindClose(h), TRUE);
        return names;
    }

    host::unit::TestUnit t;
};

TEST_F(PathsTest, LookupIgnoresCaseAtEveryComponent) {
    struct Case {
        const char* path;
        DWORD error;  // 0: opens
    } cases[] = {
        {"\\Mounted Volume\\Vesk\\PLOVA\\PLOVA.EXE", 0},
        {"\\mounted volume\\vesk\\plova\\plova.exe", 0},
        {"\\MOUNTED VOLUME\\VESK\\Plova\\Plova.Exe", 0},
        {"Mounted Volume\\Vesk\\calib.dat", 0},
        {"\\Mounted Volume\\Vesk\\plova\\missing.exe", ERROR_FILE_NOT_FOUND},
        {"\\Mounted Volume\\Nowhere\\PLOVA.EXE", ERROR_PATH_NOT_FOUND},
        {"\\Mounted Volume\\Vesk\\calib.dat\\x", ERROR_PATH_NOT_FOUND},
        {"\\Mounted Volume\\Vesk\\PLOVA", ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const HANDLE h =
            t.unit().CreateFile(c.path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
        if (c.error == 0) {
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            EXPECT_EQ(t.unit().CloseHandle(h), TRUE);
        } else {
            EXPECT_EQ(h, INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), c.error);
        }
    }
}

TEST_F(PathsTest, CreatedFilesKeepTheirCaseAndExistingOnesAreReused) {
    const HANDLE h = t.unit().CreateFile("\\Mounted Volume\\VESK\\NewFile.TXT", GENERIC_WRITE, 0,
                                         CREATE_ALWAYS, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    t.unit().CloseHandle(h);
    EXPECT_TRUE(std::filesystem::exists(t.unit().FsRoot() / "Mounted Volume/Vesk/NewFile.TXT"));
    // Writing to another spelling of an existing file changes that file.
    const HANDLE again = t.unit().CreateFile("\\mounted volume\\vesk\\CALIB.DAT", GENERIC_WRITE, 0,
                                             CREATE_ALWAYS, 0);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    t.unit().CloseHandle(again);
    EXPECT_EQ(std::filesystem::file_size(t.unit().FsRoot() / "Mounted Volume/Vesk/calib.dat"), 0U);
    EXPECT_FALSE(std::filesystem::exists(t.unit().FsRoot() / "Mounted Volume/Vesk/CALIB.DAT"));
}

TEST_F(PathsTest, WildcardsMatchAsFindFirstFileDoes) {
    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"\\Mounted Volume\\Vesk\\*.map", {"Europe.map", "iberia.MAP"}},
        {"\\Mounted Volume\\Vesk\\*.MAP", {"Europe.map", "iberia.MAP"}},
        {"\\Mounted Volume\\Vesk\\*",
         {"calib.dat", "Europe.map", "iberia.MAP", "notes.mapx", "PLOVA", "README"}},
        {"\\Mounted Volume\\Vesk\\*.*",
         {"calib.dat", "Europe.map", "iberia.MAP", "notes.mapx", "PLOVA", "README"}},
        {"\\Mounted Volume\\Vesk\\??????.map", {"Europe.map", "iberia.MAP"}},
        {"\\Mounted Volume\\Vesk\\i?????.map", {"iberia.MAP"}},
        {"\\Mounted Volume\\Vesk\\?????.map", {}},
        {"\\Mounted Volume\\Vesk\\e*p", {"Europe.map"}},
        {"\\Mounted Volume\\Vesk\\plova\\plova.exe", {"PLOVA.EXE"}},
        {"\\Mounted Volume\\Vesk\\Plova\\Settings\\Routes\\*.rte", {"a.rte", "b.RTE", "old.rte"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Find(c.pattern), c.names);
    }
}

TEST_F(PathsTest, SearchReportsFoldersSizesAndMisses) {
    WIN32_FIND_DATA data;
    HANDLE h = t.unit().FindFirstFile("\\Mounted Volume\\Vesk\\europe.map", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 10U);
    EXPECT_EQ(data.nFileSizeHigh, 0U);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0U);
    t.unit().FindClose(h);
    h = t.unit().FindFirstFile("\\Mounted Volume\\Vesk\\plova", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0U);
    EXPECT_EQ(t.unit().CloseHandle(h), FALSE) << "a search is closed with FindClose";
    EXPECT_EQ(t.unit().FindClose(h), TRUE);
    EXPECT_EQ(t.unit().FindClose(h), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    DWORD error = 0;
    EXPECT_TRUE(Find("\\Mounted Volume\\Vesk\\*.log", &error).empty());
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(Find("\\Mounted Volume\\Log\\*.log", &error).empty());
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(Find("\\Mounted Volume\\V*\\*.map", &error).empty());
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

TEST_F(PathsTest, NoPathEscapesTheFileSystem) {
    // Things outside fs/ that must stay unreachable.
    std::filesystem::create_directories(t.dir() / "outside");
    std::ofstream(t.dir() / "outside" / "secret.txt") << "secret";
    std::filesystem::create_directory_symlink(t.dir() / "outside",
                                              t.unit().FsRoot() / "Mounted Volume" / "link");
    std::filesystem::create_symlink(t.dir() / "unit.toml",
                                    t.unit().FsRoot() / "Mounted Volume" / "toml.lnk");
    const std::string hostAbsolute = (t.dir() / "unit.toml").string();
    const char* attempts[] = {
        "\\..\\unit.toml",
        "\\Mounted Volume\\..\\..\\unit.toml",
        "..\\unit.toml",
        "\\Mounted Volume\\.\\Vesk\\calib.dat",
        "\\Mounted Volume\\link\\secret.txt",
        "\\Mounted Volume\\toml.lnk",
        "/etc/passwd",
        "C:\\Windows\\win.ini",
        "\\\\server\\share\\file",
        "\\Mounted Volume\\\\Vesk\\calib.dat",
        "\\Mounted Volume\\Vesk\\calib.dat\x01",
        hostAbsolute.c_str(),
    };
    for (const char* path : attempts) {
        SCOPED_TRACE(path);
        EXPECT_EQ(t.unit().CreateFile(path, GENERIC_READ, 0, OPEN_EXISTING, 0),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
        EXPECT_EQ(t.unit().CreateFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
        EXPECT_EQ(t.unit().DeleteFile(path), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
        EXPECT_EQ(t.unit().CopyFile("\\Mounted Volume\\Vesk\\calib.dat", path, FALSE), FALSE);
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
        WIN32_FIND_DATA data;
        EXPECT_EQ(t.unit().FindFirstFile(path, &data), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    }
    EXPECT_TRUE(std::filesystem::exists(t.dir() / "unit.toml"));
    EXPECT_TRUE(std::filesystem::exists(t.dir() / "outside" / "secret.txt"));
    // Listings leave the outward links out.
    EXPECT_EQ(Find("\\Mounted Volume\\*"), (std::vector<std::string>{"Vesk"}));
}

// A FIFO in the unit's folder is no file of the unit: opening or copying it
// is refused at once instead of waiting for its writer.
TEST_F(PathsTest, AFifoInTheFileSystemIsRefusedUnread) {
    const auto fifo = t.unit().FsRoot() / "Mounted Volume" / "Vesk" / "fifo.map";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const DWORD access : {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE}) {
        EXPECT_EQ(
            t.unit().CreateFile("\\Mounted Volume\\Vesk\\fifo.map", access, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(
        t.unit().CopyFile("\\Mounted Volume\\Vesk\\fifo.map", "\\Mounted Volume\\copy.map", FALSE),
        FALSE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(PathsTest, CopyAndDeleteFollowWin32Rules) {
    auto& u = t.unit();
    const std::string routes = "\\Mounted Volume\\Vesk\\PLOVA\\Settings\\Routes\\";
    EXPECT_EQ(u.CopyFile("\\Mounted Volume\\Vesk\\Europe.map", routes + "A.RTE", TRUE), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    // The copy keeps the last-write time, past 2038 too (2040-02-29 06:30).
    constexpr time_t k2040 = 2'214'109'800;
    const struct timespec times[2] = {{k2040, 0}, {k2040, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, (u.FsRoot() / "Mounted Volume/Vesk/Europe.map").c_str(), times, 0),
        0);
    EXPECT_EQ(u.CopyFile("\\Mounted Volume\\Vesk\\Europe.map", routes + "A.RTE", FALSE), TRUE);
    WIN32_FIND_DATA copy;
    u.FindClose(u.FindFirstFile(routes + "a.rte", &copy));
    EXPECT_EQ(copy.nFileSizeLow, 10U);
    SYSTEMTIME st;
    ASSERT_EQ(u.FileTimeToSystemTime(copy.ftLastWriteTime, &st), TRUE);
    EXPECT_EQ((std::array<WORD, 3>{st.wYear, st.wMonth, st.wHour}),
              (std::array<WORD, 3>{2040, 2, 6}));
    EXPECT_EQ(u.CopyFile("\\Mounted Volume\\Vesk\\none", routes + "c.rte", FALSE), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(u.DeleteFile(routes + "old.rte"), FALSE) << "folders are not deleted";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(u.DeleteFile(routes + "missing.rte"), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    const HANDLE open =
        u.CreateFile(routes + "b.rte", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    EXPECT_EQ(u.DeleteFile(routes + "b.rte"), FALSE) << "an open file stays";
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    u.CloseHandle(open);
    EXPECT_EQ(u.DeleteFile(routes + "B.Rte"), TRUE);
    EXPECT_EQ(Find(routes + "*.rte"), (std::vector<std::string>{"a.rte", "old.rte"}));
}

TEST_F(PathsTest, ReadWriteAndHandlesRoundTrip) {
    auto& u = t.unit();
    const HANDLE w = u.CreateFile("\\Mounted Volume\\data.bin", GENERIC_WRITE, 0, CREATE_NEW, 0);
    ASSERT_NE(w, INVALID_HANDLE_VALUE);
    EXPECT_EQ(
        u.CreateFile("\\Mounted Volume\\DATA.BIN", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    DWORD written = 0;
    EXPECT_EQ(u.WriteFile(w, "hello", 5, &written), TRUE);
    EXPECT_EQ(written, 5U);
    EXPECT_EQ(u.CloseHandle(w), TRUE);
    EXPECT_EQ(u.CloseHandle(w), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    const HANDLE r = u.CreateFile("\\Mounted Volume\\data.bin", GENERIC_READ, 0, OPEN_EXISTING, 0);
    char buffer[16] = {};
    DWORD read = 99;
    EXPECT_EQ(u.ReadFile(r, buffer, sizeof buffer, &read), TRUE);
    EXPECT_EQ(std::string(buffer, read), "hello");
    EXPECT_EQ(u.ReadFile(r, buffer, sizeof buffer, &read), TRUE);
    EXPECT_EQ(read, 0U);
    u.CloseHandle(r);
    EXPECT_EQ(u.CreateFile("\\Mounted Volume\\data.bin", GENERIC_WRITE, 0, CREATE_NEW, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(u.OpenHandles(), 0);
}

}  // namespace
