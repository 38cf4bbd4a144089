// PNG files through libpng: the screenshots and the pictures scripts compare
// the screen with.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "ui/graphics.h"

namespace ui {

namespace {

struct FileCloser {
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the deleter is the owner
    void operator()(std::FILE* file) const { static_cast<void>(std::fclose(file)); }
};

}  // namespace

platform::Result<void> WritePng(const Framebuffer& fb, const std::string& path) {
    if (fb.Width() <= 0 || fb.Height() <= 0) {
        return platform::Fail(path + ": the picture is empty");
    }
    const auto width = static_cast<std::size_t>(fb.Width());
    const auto height = static_cast<std::size_t>(fb.Height());
    std::vector<std::uint8_t> rgb(width * height * 3);
    const std::uint32_t* source = fb.Data();
    for (std::size_t i = 0; i < width * height; ++i) {
        rgb[i * 3] = RedOf(source[i]);
        rgb[i * 3 + 1] = GreenOf(source[i]);
        rgb[i * 3 + 2] = BlueOf(source[i]);
    }

    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return platform::Fail(path + ": " + std::strerror(errno));
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool written = png_image_write_to_stdio(&image, file.get(), 0, rgb.data(),
                                                  static_cast<png_int_32>(width * 3), nullptr) != 0;
    const std::string message = image.message;
    png_image_free(&image);
    if (!written) {
        return platform::Fail(path + ": " + message);
    }
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()) != 0) {
        return platform::Fail(path + ": " + std::strerror(errno));
    }
    if (std::fclose(file.release()) != 0) {
        return platform::Fail(path + ": " + std::strerror(errno));
    }
    return {};
}

namespace {

// Pictures larger than this are not screens of the unit nor parts of one.
constexpr png_uint_32 kLargestSide = 4096;

}  // namespace

platform::Result<void> ReadPng(const std::string& path, Framebuffer* out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    auto fail = [&](const std::string& why) {
        png_image_free(&image);
        return platform::Result<void>(platform::Fail(path + ": " + why));
    };
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return fail(image.message);
    }
    if (image.width == 0 || image.height == 0 || image.width > kLargestSide ||
        image.height > kLargestSide) {
        return fail("a picture of " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + " pixels is not a screen");
    }
    image.format = PNG_FORMAT_RGB;
    const std::size_t width = image.width;
    const std::size_t height = image.height;
    std::vector<std::uint8_t> rgb(width * height * 3);
    if (png_image_finish_read(&image, nullptr, rgb.data(), static_cast<png_int_32>(width * 3),
                              nullptr) == 0) {
        return fail(image.message);
    }
    Framebuffer picture(static_cast<int>(width), static_cast<int>(height));
    std::uint32_t* pixels = picture.Data();
    for (std::size_t i = 0; i < width * height; ++i) {
        pixels[i] = MakeRgb(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]);
    }
    *out = std::move(picture);
    png_image_free(&image);
    return {};
}

}  // namespace ui
