// The picture files a script names: references of `expect screen` and the
// screenshots it writes.
#pragma once

#include <filesystem>
#include <string>

#include "platform/result.h"
#include "ui/graphics.h"

namespace script::detail {

// file (UTF-8) as it is when absolute or folder is empty, else in folder.
std::filesystem::path InFolder(const std::filesystem::path& folder, const std::string& file);

// The reference picture of area's size from path (named for messages as
// named); why it cannot be used. A picture of another size is not decoded.
platform::Result<void> ReadReference(const std::filesystem::path& path, const std::string& named,
                                     const ui::Rect& area, ui::Framebuffer* picture);

// Writes a PNG where a script names one: never into a FIFO or a device.
platform::Result<void> WritePicture(const ui::Framebuffer& picture,
                                    const std::filesystem::path& file);

}  // namespace script::detail
