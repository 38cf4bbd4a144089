// A copy of this program started for the scripts of a suite: the framework,
// the platform's services and the unit's clock are one per process, so
// scripts run side by side in processes of their own. The suite hands it
// its scripts one at a time on its standard input; its standard output and
// error go to a file.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace program::detail {

// How a process ended: its exit status, or none with how, to follow "the
// worker" ("was killed by signal 11 (Segmentation fault)", "ended with
// 0xC0000005").
struct ProcessEnd {
    std::optional<int> status;
    std::string how;
};

class WorkerProcess {
  public:
    WorkerProcess() = default;
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;
    // Ends the process when it still runs, and waits for it.
    virtual ~WorkerProcess() = default;

    // Starts program with the arguments (UTF-8, after the program's name),
    // its output and errors into output and, where the backend makes
    // temporary copies of the unit, its temporary folder temp (so that the
    // suite removes what a worker it ended left); the reason when it cannot.
    static platform::Result<std::unique_ptr<WorkerProcess>> Start(
        const std::filesystem::path& program, const std::vector<std::string>& arguments,
        const std::filesystem::path& output, const std::filesystem::path& temp);

    // The process's id, for messages.
    [[nodiscard]] virtual long Id() const = 0;
    // Writes line to its standard input; false when it no longer reads it.
    virtual bool Send(std::string_view line) = 0;
    // Its standard input ends: it stops after the script it runs.
    virtual void CloseInput() = 0;
    // Ends it at once (it is killed); any thread may call it.
    virtual void End() = 0;
    // How it ended, or nothing while it runs; any thread may call it.
    virtual std::optional<ProcessEnd> Poll() = 0;
    // Blocks until it has ended.
    virtual ProcessEnd Wait() = 0;
};

// This program's own file.
std::optional<std::filesystem::path> SelfPath();

}  // namespace program::detail
