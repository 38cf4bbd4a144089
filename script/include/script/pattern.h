// A pattern of `expect match`, in RE2's syntax, matched against a control's
// whole text. RE2 takes time linear in the text whatever the pattern (it has
// no back-references and no look-around) and needs no stack for a long text
// or a deep pattern; what is left to bound is bounded here, the same on
// every machine: the pattern's length and compiled size at parse time, and
// a match's work (the compiled size times the text's length) before it runs.
//
//   auto compiled = script::Pattern::Compile("[0-9]+ mV");
//   (*compiled)->Match("3650 mV").matched   // true; compiled.error() when it is none
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace re2 {
class RE2;
}

namespace script {

class Pattern {
  public:
    // Characters of a pattern as written (those of screen texts are short).
    static constexpr std::size_t kLongest = 1000;
    // The compiled size (RE2's program size) a pattern may have.
    static constexpr int kLargest = 20'000;
    // A match may step at most this far: the compiled size times the text's
    // bytes plus one (at most about a second here in RE2's slowest mode).
    static constexpr std::uint64_t kMostWork = 100'000'000;

    // The compiled pattern, or why it is none (RE2's reason or a bound above).
    static platform::Result<std::shared_ptr<const Pattern>> Compile(std::string_view pattern);

    // Made by Compile.
    explicit Pattern(std::unique_ptr<const re2::RE2> re);
    ~Pattern();
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    struct Outcome {
        bool matched = false;
        // Not tried, and why: the text is too long for this pattern.
        std::string refused;
    };
    // Whether the whole text matches, or why it is not tried.
    [[nodiscard]] Outcome Match(std::string_view text) const;

    [[nodiscard]] int Size() const { return size_; }
    // The longest text a match is tried on, in bytes.
    [[nodiscard]] std::size_t LongestText() const;

  private:
    std::unique_ptr<const re2::RE2> re_;
    int size_ = 0;
};

}  // namespace script
