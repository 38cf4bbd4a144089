#include "trace_collector.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "platform/text.h"
#include "script/utf8_path.h"

namespace program::detail {

namespace {

bool SamePixels(const ui::Framebuffer& a, const ui::Framebuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Data(), b.Data(),
                       static_cast<std::size_t>(a.Width()) * static_cast<std::size_t>(a.Height()) *
                           sizeof(std::uint32_t)) == 0;
}

// Writes the picture under its name unless it is there: through a file of
// its own first, so that processes writing the same picture at once never
// leave half of one.
platform::Result<void> WriteOnce(const ui::Framebuffer& picture,
                                 const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        return {};
    }
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path partial = file;
    partial += platform::Format(".%016llx.part", static_cast<unsigned long long>(random()));
    if (platform::Result<void> written = ui::WritePng(picture, script::Utf8FromPath(partial));
        !written) {
        return written;
    }
    std::filesystem::rename(partial, file, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        if (!std::filesystem::exists(file, ec)) {
            return platform::Fail(script::Utf8FromPath(file) + ": cannot write the picture");
        }
    }
    return {};
}

}  // namespace

std::uint64_t HashPicture(const ui::Framebuffer& picture) {
    // FNV-1a over the size and the pixel words.
    constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&](std::uint64_t word) { hash = (hash ^ word) * kPrime; };
    mix(static_cast<std::uint64_t>(picture.Width()));
    mix(static_cast<std::uint64_t>(picture.Height()));
    const std::size_t count =
        static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(picture.Height());
    const std::uint32_t* pixels = picture.Data();
    for (std::size_t i = 0; i < count; ++i) {
        mix(pixels[i]);
    }
    return hash;
}

std::string PictureName(std::uint64_t hash) {
    return platform::Format("%016llx.png", static_cast<unsigned long long>(hash));
}

int TraceCollector::Picture(const ui::Framebuffer& picture) {
    const std::uint64_t hash = HashPicture(picture);
    const auto [first, last] = byHash_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        Kept& kept = kept_[static_cast<std::size_t>(it->second)];
        if (SamePixels(kept.picture, picture)) {
            byUse_.splice(byUse_.end(), byUse_, kept.sinceUse);
            return it->second;
        }
    }
    if (!byUse_.empty() && byUse_.size() >= mostPictures_) {
        // Room for it: the picture unused for longest goes. The failed step
        // comes last, so its pictures are the newest and stay.
        const int oldest = byUse_.front();
        byUse_.pop_front();
        Kept& dropped = kept_[static_cast<std::size_t>(oldest)];
        const auto [from, to] = byHash_.equal_range(dropped.hash);
        for (auto it = from; it != to; ++it) {
            if (it->second == oldest) {
                byHash_.erase(it);
                break;
            }
        }
        dropped.picture = ui::Framebuffer();
        dropped.dropped = true;
    }
    const int index = static_cast<int>(kept_.size());
    Kept& kept = kept_.emplace_back();
    kept.picture = picture;
    kept.hash = hash;
    kept.sinceUse = byUse_.insert(byUse_.end(), index);
    byHash_.emplace(hash, index);
    return index;
}

void TraceCollector::CommandEnded(const script::CommandRecord& record) {
    Step step;
    step.text.line = record.command->line;
    step.text.command = record.command->source;
    step.text.failure = record.failure;
    step.text.unitMs = record.unitMs;
    step.text.wallMs = std::chrono::duration<double, std::milli>(record.wall).count();
    step.text.debugLines = record.debugLines;
    step.text.windows = record.windows;
    for (const ui::MessageBoxInfo& box : record.messageBoxes) {
        step.text.messageBoxes.push_back(box.text);
    }
    for (const platform::TrafficEvent& event : record.traffic) {
        // Every event goes through the decoder, so that what is kept reads
        // right even past what is left out.
        for (const std::string& text : decoder_.Decode(event)) {
            if (step.text.traffic.size() == kMostTrafficLines) {
                ++step.text.trafficLeftOut;
                continue;
            }
            std::string line = script::TrafficLine(event, text);
            line.erase(0, line.find_first_not_of(' '));
            if (line.size() > kMostTrafficBytes) {
                std::size_t cut = kMostTrafficBytes - 3;
                while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0U) == 0x80U) {
                    --cut;  // not inside a character
                }
                line.resize(cut);
                line += "...";
            }
            step.text.traffic.push_back(std::move(line));
        }
    }
    if (record.screen != nullptr) {
        step.screen = Picture(*record.screen);
    }
    if (record.pictures != nullptr) {
        step.actual = Picture(record.pictures->actual);
        if (record.pictures->reference) {
            step.reference = Picture(*record.pictures->reference);
        }
        if (record.pictures->difference) {
            step.difference = Picture(*record.pictures->difference);
        }
        step.text.area = record.pictures->area;
        step.text.masks = record.pictures->masks;
    }
    steps_.push_back(std::move(step));
}

std::size_t TraceCollector::LeftOut() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        steps_, [this](const Step& step) { return step.screen != kNone && !Shown(step.screen); }));
}

platform::Result<void> TraceCollector::Keep(const std::filesystem::path& folder,
                                            std::vector<TraceStep>* steps) const {
    auto name = [&](int index) {
        return Shown(index) ? PictureName(kept_[static_cast<std::size_t>(index)].hash)
                            : std::string();
    };
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const Kept& kept : kept_) {
        if (kept.dropped) {
            continue;
        }
        if (platform::Result<void> written =
                WriteOnce(kept.picture, folder / PictureName(kept.hash));
            !written) {
            return written;
        }
    }
    steps->assign(steps_.size(), {});
    std::size_t trafficLeft = kMostTraceTraffic;
    for (std::size_t i = steps_.size(); i-- > 0;) {
        const Step& step = steps_[i];
        TraceStep& text = (*steps)[i];
        text = step.text;
        text.screen = name(step.screen);
        text.reference = name(step.reference);
        text.actual = name(step.actual);
        text.difference = name(step.difference);
        if (text.traffic.size() > trafficLeft) {
            text.trafficLeftOut += text.traffic.size() - trafficLeft;
            text.traffic.resize(trafficLeft);
        }
        trafficLeft -= text.traffic.size();
    }
    return {};
}

}  // namespace program::detail
