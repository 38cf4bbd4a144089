#include "trace_collector.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "platform/text.h"
#include "script/utf8_path.h"

namespace program::detail {

namespace {

// Distinct screens one script keeps (each 300 KB in memory): past that its
// steps show none.
constexpr std::size_t kMostPictures = 256;

bool SamePixels(const ui::Framebuffer& a, const ui::Framebuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Data(), b.Data(),
                       static_cast<std::size_t>(a.Width()) * static_cast<std::size_t>(a.Height()) *
                           sizeof(std::uint32_t)) == 0;
}

// Writes the picture under its name unless it is there: through a file of
// its own first, so that processes writing the same picture at once never
// leave half of one.
bool WriteOnce(const ui::Framebuffer& picture, const std::filesystem::path& file,
               std::string* error) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        return true;
    }
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path partial = file;
    partial += platform::Format(".%016llx.part", static_cast<unsigned long long>(random()));
    if (!ui::WritePng(picture, script::Utf8FromPath(partial), error)) {
        return false;
    }
    std::filesystem::rename(partial, file, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        if (!std::filesystem::exists(file, ec)) {
            *error = script::Utf8FromPath(file) + ": cannot write the picture";
            return false;
        }
    }
    return true;
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
        if (SamePixels(pictures_[static_cast<std::size_t>(it->second)], picture)) {
            return it->second;
        }
    }
    if (pictures_.size() >= kMostPictures) {
        return kNone;
    }
    const int index = static_cast<int>(pictures_.size());
    pictures_.push_back(picture);
    hashes_.push_back(hash);
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
    for (const ui::MessageBoxInfo& box : record.messageBoxes) {
        step.text.messageBoxes.push_back(box.text);
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
    }
    steps_.push_back(std::move(step));
}

bool TraceCollector::Keep(const std::filesystem::path& folder, std::vector<TraceStep>* steps,
                          std::string* error) const {
    auto name = [&](int index) {
        return index == kNone ? std::string()
                              : PictureName(hashes_[static_cast<std::size_t>(index)]);
    };
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        if (!WriteOnce(pictures_[i], folder / PictureName(hashes_[i]), error)) {
            return false;
        }
    }
    steps->clear();
    for (const Step& step : steps_) {
        TraceStep text = step.text;
        text.screen = name(step.screen);
        text.reference = name(step.reference);
        text.actual = name(step.actual);
        text.difference = name(step.difference);
        steps->push_back(std::move(text));
    }
    return true;
}

}  // namespace program::detail
