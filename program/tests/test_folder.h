// A fresh folder for a test in the system's temporary folder, removed with
// everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tour_folder.h"

namespace program::test {

class TestFolder {
  public:
    TestFolder() {
        const platform::Result<std::filesystem::path> made =
            MakeTempFolder("kestrin-program-test-");
        EXPECT_TRUE(made) << made.error();
        if (made) {
            path_ = *made;
        }
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    ~TestFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

    // Writes a file (its folders made), returns its path.
    std::filesystem::path Write(const std::filesystem::path& name, const std::string& text) const {
        std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace program::test
