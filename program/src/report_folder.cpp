#include "report_folder.h"

#include <system_error>
#include <utility>

#include "html_report.h"
#include "program/suite.h"
#include "script/utf8_path.h"
#include "tour_folder.h"
#include "whole_file.h"

namespace program::detail {

namespace {

// Marks a folder as a report, so that the next report may replace it; the
// run that writes into it holds its lock.
constexpr const char* kMarker = ".kestrin-report";
constexpr std::string_view kMarkerText =
    "a report of kestrin: the next report replaces this folder\n";

}  // namespace

ReportFolder::~ReportFolder() {
    Abandon();
}

void ReportFolder::Abandon() const {
    if (!locked_ || committed_) {
        return;
    }
    std::error_code ec;
    if (!staging_.empty()) {
        std::filesystem::remove_all(staging_, ec);
    }
    if (made_) {
        std::filesystem::remove_all(folder_, ec);
    } else if (markerBefore_) {
        WriteWholeFile(folder_ / kMarker, *markerBefore_);
    } else {
        std::filesystem::remove(folder_ / kMarker, ec);
    }
}

platform::Result<void> ReportFolder::Prepare(const std::filesystem::path& folder) {
    const std::string named = ShownName(folder);
    std::error_code ec;
    const std::filesystem::file_status link = std::filesystem::symlink_status(folder, ec);
    const bool exists = std::filesystem::exists(folder, ec);
    if (std::filesystem::is_symlink(link) && !exists) {
        return platform::Fail(named + ": a symbolic link to " +
                              ShownName(std::filesystem::read_symlink(folder, ec)) +
                              ", which does not exist");
    }
    // A link's target is what is replaced, not the link.
    folder_ =
        exists ? std::filesystem::canonical(folder, ec) : std::filesystem::absolute(folder, ec);
    // "report/" names the folder report: its new report goes beside it, not in it.
    while (!ec && !folder_.has_filename() && folder_.has_relative_path()) {
        folder_ = folder_.parent_path();
    }
    if (ec) {
        return platform::Fail(named + ": " + ec.message());
    }
    if (exists) {
        if (!std::filesystem::is_directory(folder_, ec)) {
            return platform::Fail(named + ": not a folder");
        }
        if (!std::filesystem::is_empty(folder_, ec) &&
            !std::filesystem::exists(folder_ / kMarker, ec)) {
            return platform::Fail(named +
                                  ": the folder holds files that are not a report of kestrin");
        }
    } else if (std::filesystem::create_directories(folder_, ec); ec) {
        return platform::Fail(named + ": " + ec.message());
    } else {
        made_ = true;
    }
    markerBefore_ = ReadWholeFile(folder_ / kMarker);
    platform::Result<std::unique_ptr<FileLock>, LockRefused> lock =
        FileLock::Take(folder_ / kMarker, kMarkerText, FileLock::Make::IfMissing);
    if (!lock) {
        if (made_) {
            std::filesystem::remove_all(folder_, ec);
        }
        const LockRefused& refused = lock.error();
        return platform::Fail(refused.holder.empty()
                                  ? named + ": cannot lock the report: " + refused.why
                                  : named + ": another run of kestrin (" + refused.holder +
                                        ") is writing its report into this folder");
    }
    lock_ = std::move(*lock);
    locked_ = true;
    const platform::Result<std::filesystem::path> staging = MakeFolderIn(
        folder_.parent_path(), "." + script::Utf8FromPath(folder_.filename()) + ".kestrin-", false);
    if (!staging) {
        return platform::Fail(named +
                              ": cannot make a folder beside it for the new report (its folder " +
                              ShownName(folder_.parent_path()) + " must be writable)");
    }
    staging_ = *staging;
    abandon_ = OnInterrupt([this] { Abandon(); });
    // It becomes the folder: with the folder's own permissions.
    std::filesystem::permissions(staging_, std::filesystem::status(folder_, ec).permissions(),
                                 std::filesystem::perm_options::replace, ec);
    std::filesystem::create_directories(ScreensFolder(staging_), ec);
    std::filesystem::create_directories(staging_ / "scripts", ec);
    if (ec || !WriteWholeFile(staging_ / kMarker, kMarkerText)) {
        return platform::Fail(ShownName(staging_) + ": cannot write the report" +
                              (ec ? ": " + ec.message() : ""));
    }
    return {};
}

// Runs while interrupts wait: it registers nothing.
platform::Result<void> ReportFolder::Commit() {
    // Held through the exchange where the system allows it, so that no
    // other run starts on the folder in between; a PC moves no folder with
    // a file open in it.
    if (!FoldersMoveWithFilesOpen()) {
        lock_.reset();
    }
    const platform::Result<void> exchanged = ExchangeFolders(staging_, folder_);
    lock_.reset();
    if (!exchanged) {
        const std::string kept = ShownName(staging_);
        staging_.clear();  // kept
        return platform::Fail(ShownName(folder_) + ": cannot put the new report in place (" +
                              exchanged.error() + "); it is in " + kept);
    }
    committed_ = true;
    // The earlier report, now where the new one was written.
    std::error_code ec;
    std::filesystem::remove_all(staging_, ec);
    return {};
}

}  // namespace program::detail
