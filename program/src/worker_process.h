// A copy of this program started for one script of a suite (--jobs): the
// framework, the platform's services and the unit's clock are one per
// process, so scripts run side by side in processes of their own. Its
// standard output and error go to a file.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace program::detail {

class WorkerProcess {
  public:
    WorkerProcess() = default;
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;
    // Waits for the process when nobody did.
    virtual ~WorkerProcess() = default;

    // Starts program with the arguments (UTF-8, after the program's name);
    // nullptr with the reason.
    static std::unique_ptr<WorkerProcess> Start(const std::filesystem::path& program,
                                                const std::vector<std::string>& arguments,
                                                const std::filesystem::path& output,
                                                std::string* error);

    // Blocks until the process ends: its exit status, or nothing with how it
    // ended in *how (a signal).
    virtual std::optional<int> Wait(std::string* how) = 0;
};

// This program's own file.
std::optional<std::filesystem::path> SelfPath();

}  // namespace program::detail
