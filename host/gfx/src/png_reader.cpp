#include <png.h>

#include <cstring>
#include <vector>

#include "ui/graphics.h"

namespace ui {

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
