// The trace of one script as it runs (the runner's observer): each command
// with its outcome, times, debug lines and message boxes, and the screen
// after it, kept in memory once per distinct screen until the suite knows
// whether the report wants them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "program/suite.h"
#include "script/run_observer.h"

namespace program::detail {

class TraceCollector final : public script::RunObserver {
  public:
    void CommandEnded(const script::CommandRecord& record) override;

    // Writes every screen the steps show into folder (each distinct screen
    // once, named by its pixels, so that scripts and runs share it) and
    // gives the steps. False with the reason when a picture cannot be written.
    bool Keep(const std::filesystem::path& folder, std::vector<TraceStep>* steps,
              std::string* error) const;

  private:
    static constexpr int kNone = -1;
    struct Step {
        TraceStep text;
        int screen = kNone;
        int reference = kNone;
        int actual = kNone;
        int difference = kNone;
    };
    // The index of a picture among those kept, added when it is new;
    // kNone past the most a script keeps.
    int Picture(const ui::Framebuffer& picture);

    std::vector<ui::Framebuffer> pictures_;
    std::vector<std::uint64_t> hashes_;
    std::unordered_multimap<std::uint64_t, int> byHash_;
    std::vector<Step> steps_;
};

// A picture's file name in the report: its size and pixels hashed.
std::string PictureName(std::uint64_t hash);
std::uint64_t HashPicture(const ui::Framebuffer& picture);

}  // namespace program::detail
