#include "script/pattern.h"

#include <re2/re2.h>

#include "text_escapes.h"

namespace script {

platform::Result<std::shared_ptr<const Pattern>> Pattern::Compile(std::string_view pattern) {
    if (pattern.size() > kLongest) {
        return platform::Fail("the pattern is longer than " + std::to_string(kLongest) +
                              " characters");
    }
    RE2::Options options;
    options.set_log_errors(false);  // the reason goes into the script's message
    options.set_never_capture(true);
    auto re =
        std::make_unique<const RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
    const std::string named = "the pattern " + detail::Quote(pattern);
    if (re->error_code() == RE2::ErrorPatternTooLarge) {
        return platform::Fail(named + " is too large for the regular-expression library");
    }
    if (!re->ok()) {
        return platform::Fail(named + " is not valid: " + re->error());
    }
    if (re->ProgramSize() > kLargest) {
        return platform::Fail(named + " is too large: it compiles to " +
                              std::to_string(re->ProgramSize()) + " instructions, at most " +
                              std::to_string(kLargest));
    }
    return std::shared_ptr<const Pattern>(std::make_shared<const Pattern>(std::move(re)));
}

Pattern::Pattern(std::unique_ptr<const re2::RE2> re)
    : re_(std::move(re)), size_(re_->ProgramSize()) {}

Pattern::~Pattern() = default;

std::size_t Pattern::LongestText() const {
    return static_cast<std::size_t>(kMostWork / static_cast<std::uint64_t>(size_) - 1);
}

Pattern::Outcome Pattern::Match(std::string_view text) const {
    if (text.size() > LongestText()) {
        return {false, "a text of " + std::to_string(text.size()) +
                           " bytes is too long for this pattern (at most " +
                           std::to_string(LongestText()) + " bytes for its " +
                           std::to_string(size_) + " instructions)"};
    }
    return {RE2::FullMatch(re2::StringPiece(text.data(), text.size()), *re_), {}};
}

}  // namespace script
