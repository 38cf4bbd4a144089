#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "test_support/test_picture.h"
#include "ui/graphics.h"

namespace ui {
namespace {

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "kestrin_gfx_" + std::to_string(::getpid()) + "_" + name;
}

TEST(WritePngTest, RoundTripsEveryPixelAsEightBitRgb) {
    const Framebuffer fb = test_support::TestPicture();
    const std::string path = TempPath("round.png");
    const platform::Result<void> written = WritePng(fb, path);
    ASSERT_TRUE(written) << written.error();

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    EXPECT_EQ(image.width, 37U);
    EXPECT_EQ(image.height, 23U);
    EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << image.message;
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            const std::size_t i =
                (static_cast<std::size_t>(y) * 37 + static_cast<std::size_t>(x)) * 3;
            ASSERT_EQ(MakeRgb(rgb[i], rgb[i + 1], rgb[i + 2]), fb.GetPixel(x, y)) << x << "," << y;
        }
    }
    static_cast<void>(std::remove(path.c_str()));
}

TEST(WritePngTest, FailuresGiveAReason) {
    const Framebuffer fb(4, 4);
    const platform::Result<void> nowhere = WritePng(fb, "/nonexistent-dir/shot.png");
    ASSERT_FALSE(nowhere);
    EXPECT_NE(nowhere.error().find("/nonexistent-dir/shot.png"), std::string::npos)
        << nowhere.error();
    EXPECT_NE(nowhere.error().find("No such file"), std::string::npos) << nowhere.error();

    const platform::Result<void> empty = WritePng(Framebuffer(0, 0), TempPath("empty.png"));
    ASSERT_FALSE(empty);
    EXPECT_FALSE(empty.error().empty());
}

}  // namespace
}  // namespace ui
