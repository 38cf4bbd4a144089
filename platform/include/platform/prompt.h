// Message boxes of programs without a window (the driver switch tool).
#pragma once

#include <string_view>

#include "platform/win_types.h"

namespace platform {

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class Prompt {
  public:
    virtual ~Prompt() = default;
    virtual int MessageBox(std::string_view text, std::string_view caption, UINT type) = 0;
};

}  // namespace platform
