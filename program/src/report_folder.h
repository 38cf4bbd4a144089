// The folder of --report while a run writes it. The new report is written
// beside it, in a folder of its own, and takes the folder's place in one
// step at the end; until then the earlier report stays whole, and a run
// that stops early (an interrupt, a unit that does not load) leaves it as
// it was. A lock in the folder keeps a second run out meanwhile.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "file_lock.h"
#include "platform/result.h"
#include "program/interrupt.h"

namespace program::detail {

class ReportFolder {
  public:
    ReportFolder() = default;
    ReportFolder(const ReportFolder&) = delete;
    ReportFolder& operator=(const ReportFolder&) = delete;
    // A new report not put in place is removed.
    ~ReportFolder();

    // Checks the folder (missing, empty, or an earlier report: a report
    // never replaces what is not its own), takes its lock and makes the
    // folder the new report is written in.
    platform::Result<void> Prepare(const std::filesystem::path& folder);

    // Where the new report is written.
    [[nodiscard]] const std::filesystem::path& Staging() const { return staging_; }

    // Puts the new report in the folder's place and removes the earlier.
    // A failure leaves the new report where it was written, which the
    // reason names.
    platform::Result<void> Commit();

  private:
    // A run that did not put its report in place: its folder removed and the
    // earlier report's marker as it was (the lock wrote this run's id in it).
    void Abandon() const;

    std::filesystem::path folder_;   // the report's folder, links followed
    std::filesystem::path staging_;  // the new report's, beside it
    bool made_ = false;              // the folder was made for this run
    bool locked_ = false;
    bool committed_ = false;
    std::optional<std::string> markerBefore_;
    std::unique_ptr<FileLock> lock_;
    OnInterrupt abandon_;
};

}  // namespace program::detail
