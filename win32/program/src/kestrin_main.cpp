// kestrin.exe: the factory test console on a PC's own Win32 API.
#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "program/run.h"
#include "win32/pc/text_arguments.h"
#include "win32/seam.h"

int wmain(int argc, wchar_t** argv) {
    // The same bytes as on Linux: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> owned = win32::pc::Utf8Arguments(argc, argv);
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    win32::Seam seam;
    return program::Main("kestrin", arguments, seam, std::cout, std::cerr);
}
