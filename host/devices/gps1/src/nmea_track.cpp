#include "nmea_track.h"

#include <array>

namespace host::gps1 {

namespace {

constexpr std::size_t kTagLength = 6;  // "$GPGGA"

std::string_view Tag(std::string_view line) {
    return line.substr(0, line.find(','));
}

std::string_view Field(std::string_view line, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        const auto comma = line.find(',');
        if (comma == std::string_view::npos) {
            return {};
        }
        line.remove_prefix(comma + 1);
    }
    const auto end = line.find_first_of(",*");
    return line.substr(0, end);
}

// The UTC time a sentence carries, empty when it carries none.
std::string_view TimeOf(std::string_view line) {
    const std::string_view tag = Tag(line);
    if (tag.size() != kTagLength) {
        return {};
    }
    const std::string_view type = tag.substr(3);
    if (type == "GGA" || type == "RMC" || type == "ZDA" || type == "GNS") {
        return Field(line, 1);
    }
    if (type == "GLL") {
        return Field(line, 5);
    }
    return {};
}

std::vector<std::string_view> SentenceLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.front() == '$') {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

std::optional<NmeaTrack> ParseTrack(std::string_view text) {
    const std::vector<std::string_view> lines = SentenceLines(text);
    if (lines.empty()) {
        return std::nullopt;
    }
    bool timed = false;
    for (std::string_view line : lines) {
        timed = timed || !TimeOf(line).empty();
    }

    NmeaTrack track;
    std::string current;
    std::string_view currentTime;
    const std::string_view firstTag = Tag(lines.front());
    for (std::string_view line : lines) {
        bool starts = false;
        if (timed) {
            const std::string_view time = TimeOf(line);
            if (!time.empty()) {
                starts = !currentTime.empty() && time != currentTime;
                currentTime = time;
            }
        } else {
            starts = Tag(line) == firstTag;
        }
        if (starts && !current.empty()) {
            track.cycles.push_back(std::move(current));
            current.clear();
        }
        current.append(line);
        current.append("\r\n");
    }
    if (!current.empty()) {
        track.cycles.push_back(std::move(current));
    }
    return track;
}

}  // namespace host::gps1
