#include "kestrin_version.h"

#include "kestrin_version_values.h"

namespace kestrin {

std::string_view Version() {
    return KESTRIN_VERSION_TEXT;
}

std::string_view GitCommit() {
    return KESTRIN_GIT_COMMIT;
}

std::string VersionLine(std::string_view program) {
    std::string line(program);
    line += ' ';
    line += Version();
    if (!GitCommit().empty()) {
        line += " (git ";
        line += GitCommit();
        line += ')';
    }
    line += '\n';
    return line;
}

}  // namespace kestrin
