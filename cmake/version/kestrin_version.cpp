#include "kestrin_version.h"

#include "kestrin_version_values.h"

namespace kestrin {

std::string_view Version() {
    return KESTRIN_VERSION_TEXT;
}

std::string VersionLine(std::string_view program) {
    std::string line(program);
    line += ' ';
    line += Version();
    line += '\n';
    return line;
}

}  // namespace kestrin
