#include "word_reader.h"

#include <charconv>
#include <utility>

namespace script::detail {

namespace {

constexpr std::uint64_t kLongestWaitMs = 24ULL * 60 * 60 * 1000;

}  // namespace

WordReader::WordReader(std::string_view line, std::vector<Word> words)
    : line_(line), words_(std::move(words)) {}

void WordReader::Fail(std::string message) {
    if (error_.empty()) {
        error_ = std::move(message);
    }
}

void WordReader::Count(std::size_t arguments, const std::string& usage) {
    if (words_.size() != arguments + 1) {
        Fail("expected: " + usage);
    }
}

std::string WordReader::Text(std::size_t index) const {
    return error_.empty() && index < words_.size() ? words_[index].text : std::string();
}

int WordReader::Number(std::size_t index, std::int64_t min, std::int64_t max, const char* what) {
    if (!error_.empty() || index >= words_.size()) {
        return 0;
    }
    const std::string& text = words_[index].text;
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || words_[index].quoted || ec != std::errc() || ptr != end) {
        Fail(std::string(what) + " must be a whole number, not " + Quote(text));
        return 0;
    }
    if (value < min || value > max) {
        Fail(std::string(what) + " must be " + std::to_string(min) + " to " + std::to_string(max) +
             ", not " + text);
        return 0;
    }
    return static_cast<int>(value);
}

int WordReader::Id(std::size_t index) {
    return Number(index, 1, 0xFFFF, "ID");
}

std::uint64_t WordReader::Millis(std::size_t index) {
    return static_cast<std::uint64_t>(
        Number(index, 0, static_cast<std::int64_t>(kLongestWaitMs), "MS"));
}

std::uint32_t WordReader::Color(const Word& word) {
    const std::string& t = word.text;
    std::uint32_t value = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value, 16);
    if (word.quoted || t.size() != 6 || ec != std::errc() || ptr != t.data() + t.size()) {
        Fail("the colour must be six hex digits RRGGBB, not " + Quote(t));
        return 0;
    }
    return value;
}

}  // namespace script::detail
