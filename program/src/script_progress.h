// What a script's run leaves as it goes, so that a run that cannot end by
// itself (past its time limit, or its worker process died) still tells the
// line it was on and keeps its evidence: the command in progress, the
// commands that ended (with their times and debug lines) and the last
// screen, in memory and, in a worker, in files the suite reads.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "program/suite.h"
#include "script/run_observer.h"
#include "ui/graphics.h"

namespace program::detail {

// The command a run is on.
struct CommandAt {
    int line = 0;
    std::string source;
};

// The run's observer: tells the trace (when there is one) each command as
// it goes, and keeps the progress.
class ScriptProgress final : public script::RunObserver {
  public:
    // Files: the progress (empty: kept in memory only) and the last screen
    // (empty: not kept).
    ScriptProgress(script::RunObserver* trace, const std::filesystem::path& progressFile,
                   const std::filesystem::path& screenFile);

    void CommandStarted(const script::Command& command) override;
    void CommandEnded(const script::CommandRecord& record) override;
    [[nodiscard]] bool WantsTraffic() const override {
        return trace_ != nullptr && trace_->WantsTraffic();
    }

    // The command in progress; nullopt between commands. Any thread.
    [[nodiscard]] std::optional<CommandAt> Current() const;

  private:
    void Append(const std::string& fields);

    script::RunObserver* trace_;
    std::ofstream progress_;
    std::ofstream screen_;
    std::optional<ui::Framebuffer> shown_;  // the screen last written
    mutable std::mutex mutex_;
    std::optional<CommandAt> current_;
};

// What a progress file tells after its run ended, however it ended (a cut
// last record is left out).
struct Progress {
    std::vector<TraceStep> ended;      // the commands that ended, in order
    std::optional<CommandAt> current;  // the one that started and did not end
};
Progress ReadProgress(const std::filesystem::path& file);

// The last screen a run's progress kept; nullopt when there is none.
std::optional<ui::Framebuffer> ReadScreenFile(const std::filesystem::path& file);

}  // namespace program::detail
