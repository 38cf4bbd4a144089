// A Windows program's wide command-line arguments as the system's UTF-8.
#pragma once

#include <string>
#include <vector>

namespace win32::pc {

// The arguments after the program's name.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);

}  // namespace win32::pc
