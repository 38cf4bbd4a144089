#include <algorithm>

#include "ui/graphics.h"

namespace ui {

Rect Rect::Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    if (r.Empty()) {
        return {};
    }
    return r;
}

}  // namespace ui
