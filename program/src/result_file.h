// One script's result as a worker process hands it to the suite that
// started it (--jobs): a file of named, length-prefixed fields, so that any
// bytes a script's output holds come back as they were.
#pragma once

#include <filesystem>
#include <string>

#include "program/suite.h"

namespace program::detail {

// A script's end beyond its result: how the run ended (script::kExitPassed,
// kExitFailed or kExitMalformed) and what the program said about it besides
// the script's own output (evidence or a trace it could not keep).
struct ResultEnd {
    int status = 0;
    std::string notes;
};

// False with the reason.
bool WriteResultFile(const std::filesystem::path& file, const ScriptResult& result,
                     const ResultEnd& end, std::string* error);
// Fills result (all but its file and class name) and end; false with the
// reason when the file is missing or not such a file.
bool ReadResultFile(const std::filesystem::path& file, ScriptResult* result, ResultEnd* end,
                    std::string* error);

}  // namespace program::detail
