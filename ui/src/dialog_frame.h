// The frame of a dialog window: border, caption bar and the caption's close
// and OK boxes, in window coordinates.
#pragma once

#include <optional>

#include "ui/graphics.h"
#include "ui/types.h"

namespace ui::detail {

struct WindowRecord;

struct FrameMetrics {
    int border = 0;
    int caption = 0;
};

FrameMetrics DialogFrameMetrics(DWORD style);

enum class CaptionButton { None = 0, Close = 1, Ok = 2 };
std::optional<Rect> CaptionButtonRect(const WindowRecord& w, CaptionButton button);

}  // namespace ui::detail
