#include "picture_files.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>

#include "script/file_kind.h"
#include "script/utf8_path.h"
#include "text_escapes.h"

namespace script::detail {

namespace {

// The signature, then the header chunk's length, type, width and height.
constexpr std::array<char, 8> kSignature = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr std::size_t kHeadBytes = 24;

std::uint32_t BigEndian32(const std::array<char, kHeadBytes>& head, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(head[i]);
    }
    return value;
}

}  // namespace

std::filesystem::path InFolder(const std::filesystem::path& folder, const std::string& file) {
    std::filesystem::path path = PathFromUtf8(file);
    if (path.is_absolute() || folder.empty()) {
        return path;
    }
    return folder / path;
}

platform::Result<void> ReadReference(const std::filesystem::path& path, const std::string& named,
                                     const ui::Rect& area, ui::Framebuffer* picture) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return platform::Fail("no reference picture " + Utf8FromPath(path) +
                              " (--update-screens writes it from the screen)");
    }
    const std::string the = "the reference " + Quote(Utf8FromPath(path));
    if (const std::string kind = NotAFile(path); !kind.empty()) {
        return platform::Fail(the + " is " + kind + ", not a picture");
    }
    std::ifstream in(path, std::ios::binary);
    std::array<char, kHeadBytes> head{};
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (!in && got == 0) {
        return platform::Fail(in.eof() ? the + " is empty" : the + " cannot be read");
    }
    if (got < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), head.begin())) {
        return platform::Fail(the + " is not a PNG picture");
    }
    if (got < kHeadBytes || std::string_view(head.data() + 12, 4) != "IHDR") {
        return platform::Fail(the + " is cut short or damaged");
    }
    // Its size, before anything is decoded: only a picture of the area's
    // size can be compared.
    const std::uint32_t width = BigEndian32(head, 16);
    const std::uint32_t height = BigEndian32(head, 20);
    if (width != static_cast<std::uint32_t>(area.Width()) ||
        height != static_cast<std::uint32_t>(area.Height())) {
        return platform::Fail("the reference " + Quote(named) + " is " + std::to_string(width) +
                              " x " + std::to_string(height) + ", the area " +
                              std::to_string(area.Width()) + " x " + std::to_string(area.Height()));
    }
    in.close();
    if (!ui::ReadPng(Utf8FromPath(path), picture) || picture->Width() != area.Width() ||
        picture->Height() != area.Height()) {
        return platform::Fail(the + " is cut short or damaged");
    }
    return {};
}

platform::Result<void> WritePicture(const ui::Framebuffer& picture,
                                    const std::filesystem::path& file) {
    if (const std::string kind = NotAFile(file); !kind.empty()) {
        return platform::Fail(Utf8FromPath(file) + " is " + kind +
                              ", not a file to write a picture into");
    }
    return ui::WritePng(picture, Utf8FromPath(file));
}

}  // namespace script::detail
