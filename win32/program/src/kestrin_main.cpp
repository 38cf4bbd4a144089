// kestrin.exe: the factory test console on a PC's own Win32 API.
#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "kestrin_version.h"
#include "pc/pc_options.h"
#include "pc/pc_program.h"
#include "win32/text_arguments.h"

int wmain(int argc, wchar_t** argv) {
    // The same bytes as on Linux: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> owned = win32::Utf8Arguments(argc, argv);
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    const pc::ParsedPcOptions parsed = pc::ParsePcOptions(arguments);
    if (!parsed.options) {
        std::cerr << "kestrin: " << parsed.error << '\n' << pc::PcUsage();
        return pc::kExitUsage;
    }
    if (parsed.options->help) {
        std::cout << pc::PcUsage();
        return 0;
    }
    if (parsed.options->version) {
        std::cout << kestrin::VersionLine("kestrin");
        return 0;
    }
    return pc::RunPcKestrin(*parsed.options, std::cout, std::cerr);
}
