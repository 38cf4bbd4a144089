// The files between a suite and its worker processes: the list of the
// run's scripts the suite gives them, and a script's result as a worker
// hands it back. Both are files of named, length-prefixed fields, so that
// any bytes a name or a script's output holds come back as they were.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "program/suite.h"

namespace program::detail {

// Appends a field: "<key> <length>\n<bytes>\n".
void AppendField(std::string* out, std::string_view key, std::string_view value);

// Reads fields one by one.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : text_(text) {}
    // The next field; false at the end or on a malformed or cut one (bad()
    // tells).
    bool Next(std::string_view* key, std::string_view* value);
    [[nodiscard]] bool bad() const { return bad_; }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool bad_ = false;
};

// A number written with "%.6f" (from_chars for double is missing from some
// standard libraries).
bool ParseDouble(std::string_view text, double* out);

// Appends a script's trace as fields, each picture's name after pictures
// (empty for a worker's result, "screens/" in a report's results).
void AppendTrace(std::string* out, const std::vector<TraceStep>& trace, std::string_view pictures);
// Reads a field of a trace written so into *trace: NotOne for a field of
// no step, Bad for a malformed one (a picture that is not a plain file
// name after pictures among them).
enum class TraceField { NotOne, Read, Bad };
TraceField ReadTraceField(std::string_view key, std::string_view value, std::string_view pictures,
                          std::vector<TraceStep>* trace);

// Appends an earlier run of a script (--retries) as one field "attempt"
// whose value is its own fields: "duration-ms", "failure", "output",
// "traced", "screens-left-out" and its trace (pictures named as
// AppendTrace names them).
void AppendAttempt(std::string* out, const Attempt& attempt, std::string_view pictures);
// Reads the value of such a field; false when it is malformed.
bool ReadAttempt(std::string_view value, std::string_view pictures, Attempt* attempt);

// A script's end beyond its result: how the run ended (script::kExitPassed,
// kExitFailed or kExitMalformed) and what the program said about it besides
// the script's own output (evidence or a trace it could not keep).
struct ResultEnd {
    int status = 0;
    std::string notes;
    std::filesystem::path script;  // the script it is the result of, as the worker read it
};

// What a suite gives its workers: its scripts by path, in its order (a
// worker is handed each by its place in the list), and where the run keeps
// what they share.
struct RunList {
    std::vector<std::filesystem::path> scripts;
    std::filesystem::path common;   // the run's common folder
    std::filesystem::path screens;  // the report's screens; empty: no report
};

platform::Result<void> WriteRunList(const std::filesystem::path& file, const RunList& list);
platform::Result<void> ReadRunList(const std::filesystem::path& file, RunList* list);

platform::Result<void> WriteResultFile(const std::filesystem::path& file,
                                       const ScriptResult& result, const ResultEnd& end);
// Fills result (all but its file and class name) and end; fails when the
// file is missing or not such a file.
platform::Result<void> ReadResultFile(const std::filesystem::path& file, ScriptResult* result,
                                      ResultEnd* end);
// The same from the file's text; named: the file, for the reason.
platform::Result<void> ParseResult(std::string_view text, const std::string& named,
                                   ScriptResult* result, ResultEnd* end);

}  // namespace program::detail
