// Runs of several scripts: which files a command line names, the verdict
// line, and the JUnit report that CI systems read.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace script {

// The scripts named by files and folders: a file as it is, a folder as every
// `*.ks` and `*.script` directly in it, sorted by name. False with the
// reason when a name is neither or a folder holds none.
bool CollectScripts(const std::vector<std::filesystem::path>& names,
                    std::vector<std::filesystem::path>* scripts, std::string* error);

struct ScriptResult {
    std::filesystem::path file;  // as given or found
    bool passed = false;
    std::chrono::duration<double> time{};
    std::string failure;  // the first failure, "FILE:LINE: command: why"
    std::string output;   // everything the run wrote about itself
};

// "N passed, M failed"
std::string Verdict(const std::vector<ScriptResult>& results);

// Writes a JUnit XML report: one test suite, one test case per script with
// its time, failure message and output. False with the reason on failure.
bool WriteJUnit(const std::filesystem::path& file, const std::vector<ScriptResult>& results,
                std::string* error);

// A folder name for one script's artifacts: its path with the separators
// and anything unusual made into '_' ("tests/ver page.ks" -> "tests_ver_page.ks").
std::string ArtifactName(const std::filesystem::path& script);

}  // namespace script
