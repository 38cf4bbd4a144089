// Cuts a byte stream from the host into lines at '\n', however it happens to
// be chunked. A line longer than the limit is given up whole: the caller
// hears of it once, as overlong, and its bytes up to the next '\n' are
// skipped, so that no input can make the buffer grow without bound.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host::unit {

class LineSplitter {
  public:
    // maxLine: the most bytes a line may hold, its '\n' not counted.
    explicit LineSplitter(std::size_t maxLine) : maxLine_(maxLine) {}

    // Calls onLine(std::string_view line, bool overlong) for every line the
    // bytes complete, without its '\n'; an overlong line comes empty.
    template <class OnLine>
    void Feed(std::string_view bytes, OnLine&& onLine) {
        while (!bytes.empty()) {
            const std::size_t end = bytes.find('\n');
            const std::string_view part = bytes.substr(0, end);
            if (!overlong_) {
                if (line_.size() + part.size() > maxLine_) {
                    overlong_ = true;
                    line_.clear();
                } else {
                    line_.append(part);
                }
            }
            if (end == std::string_view::npos) {
                return;
            }
            onLine(std::string_view(line_), overlong_);
            line_.clear();
            overlong_ = false;
            bytes.remove_prefix(end + 1);
        }
    }

    // Forgets a line begun (the stream starts afresh).
    void Reset() {
        line_.clear();
        overlong_ = false;
    }

  private:
    std::size_t maxLine_;
    std::string line_;
    bool overlong_ = false;
};

}  // namespace host::unit
