// Screenshots and reference pictures through the Windows Imaging Component.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "test_support/test_picture.h"
#include "ui/graphics.h"

namespace ui {
namespace {

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "kestrin_wic_" + name;
}

TEST(WicPngTest, WrittenPicturesReadBackPixelForPixel) {
    const Framebuffer fb = test_support::TestPicture();
    const std::string path = TempPath("round.png");
    const platform::Result<void> written = WritePng(fb, path);
    ASSERT_TRUE(written) << written.error();
    std::ifstream file(path, std::ios::binary);
    char signature[8] = {};
    file.read(signature, sizeof signature);
    EXPECT_EQ(std::string(signature, 8), "\x89PNG\r\n\x1A\n");

    Framebuffer back(1, 1);
    const platform::Result<void> read = ReadPng(path, &back);
    ASSERT_TRUE(read) << read.error();
    ASSERT_EQ(back.Width(), 37);
    ASSERT_EQ(back.Height(), 23);
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            ASSERT_EQ(back.GetPixel(x, y), fb.GetPixel(x, y)) << x << "," << y;
        }
    }
    file.close();
    static_cast<void>(std::remove(path.c_str()));
}

TEST(WicPngTest, FailuresNameTheFileAndLeaveThePictureAlone) {
    const platform::Result<void> nowhere =
        WritePng(Framebuffer(4, 4), "Z:/nonexistent-dir/shot.png");
    ASSERT_FALSE(nowhere);
    EXPECT_NE(nowhere.error().find("Z:/nonexistent-dir/shot.png: cannot create the file"),
              std::string::npos)
        << nowhere.error();
    const platform::Result<void> empty = WritePng(Framebuffer(0, 0), TempPath("empty.png"));
    ASSERT_FALSE(empty);
    EXPECT_NE(empty.error().find("empty"), std::string::npos) << empty.error();

    const std::string notPng = TempPath("not.png");
    std::ofstream(notPng, std::ios::binary) << "BM this is no picture at all";
    const std::string truncated = TempPath("truncated.png");
    // The signature and the start of a header chunk, its NULs included.
    std::ofstream(truncated, std::ios::binary)
        << std::string_view("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    Framebuffer kept(3, 2);
    kept.SetPixel(1, 1, 0x123456);
    for (const std::string& path : {std::string("Z:/nonexistent-dir/x.png"), notPng, truncated}) {
        const platform::Result<void> read = ReadPng(path, &kept);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().rfind(path + ": ", 0), 0U) << read.error();
        EXPECT_EQ(kept.Width(), 3);
        EXPECT_EQ(kept.GetPixel(1, 1), 0x123456U);
    }
    static_cast<void>(std::remove(notPng.c_str()));
    static_cast<void>(std::remove(truncated.c_str()));
}

}  // namespace
}  // namespace ui
