// The trace of one script as it runs (the runner's observer): each command
// with its outcome, times, debug lines and message boxes, and the screen
// after it and the unit's traffic in words, the screens kept in memory once
// per distinct screen until the suite knows
// whether the report wants them. A long script keeps its most recent
// screens and always the failure's pictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/result.h"
#include "program/suite.h"
#include "script/run_observer.h"
#include "script/traffic_text.h"

namespace program::detail {

class TraceCollector final : public script::RunObserver {
  public:
    // Distinct screens one script keeps (each 300 KB in memory): past that
    // the most recently used ones, a failed step's pictures among them.
    static constexpr std::size_t kMostPictures = 256;

    // What a trace keeps of the traffic, so that a chatty device cannot
    // blow up a report: lines per step, bytes per line, and lines in all
    // (the steps nearest the end keep theirs).
    static constexpr std::size_t kMostTrafficLines = 100;
    static constexpr std::size_t kMostTrafficBytes = 240;
    static constexpr std::size_t kMostTraceTraffic = 2000;

    explicit TraceCollector(std::size_t mostPictures = kMostPictures)
        : mostPictures_(mostPictures) {}

    void CommandEnded(const script::CommandRecord& record) override;
    [[nodiscard]] bool WantsTraffic() const override { return true; }

    // Writes every screen the steps show into folder (each distinct screen
    // once, named by its pixels, so that scripts and runs share it) and
    // gives the steps; the reason when a picture cannot be written.
    platform::Result<void> Keep(const std::filesystem::path& folder,
                                std::vector<TraceStep>* steps) const;
    // Steps whose screen was left out to keep within the most pictures.
    [[nodiscard]] std::size_t LeftOut() const;

  private:
    static constexpr int kNone = -1;  // the step had no such picture
    struct Step {
        TraceStep text;
        int screen = kNone;
        int reference = kNone;
        int actual = kNone;
        int difference = kNone;
    };
    struct Kept {
        ui::Framebuffer picture;  // empty once dropped
        std::uint64_t hash = 0;
        bool dropped = false;
        std::list<int>::iterator sinceUse;  // its place in byUse_ while kept
    };
    // The index of a picture among those kept, added when it is new; the
    // one unused for longest is dropped to make room.
    int Picture(const ui::Framebuffer& picture);
    [[nodiscard]] bool Shown(int index) const {
        return index >= 0 && !kept_[static_cast<std::size_t>(index)].dropped;
    }

    std::size_t mostPictures_;
    std::vector<Kept> kept_;
    std::unordered_multimap<std::uint64_t, int> byHash_;  // of the pictures kept
    std::list<int> byUse_;  // the pictures kept, least recently used first
    std::vector<Step> steps_;
    script::TrafficDecoder decoder_;  // across steps: a frame may end in a later one
};

// A picture's file name in the report: its size and pixels hashed.
std::string PictureName(std::uint64_t hash);
std::uint64_t HashPicture(const ui::Framebuffer& picture);

}  // namespace program::detail
