#include "win32/pc/text_arguments.h"

#include <cwchar>

#include "platform/utf16.h"

namespace win32::pc {

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> out;
    for (int i = 1; i < argc; ++i) {
        out.push_back(platform::utf16::ToUtf8(argv[i]));
    }
    return out;
}

}  // namespace win32::pc
