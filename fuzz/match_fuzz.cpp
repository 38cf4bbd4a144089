// `expect match` patterns against long texts: the bytes before the first
// zero byte are a pattern, written into a script line as a script string;
// the bytes after it (the pattern itself when there is none) are repeated
// into texts of 30 000 bytes and more. A pattern either fails its line with
// a reason, or matches each text in bounded work: texts up to its longest
// are tried, the same way every time, and a longer one is refused unread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "fuzz_check.h"
#include "script/pattern.h"
#include "script/script.h"

namespace {

using fuzz::Check;

// The seed repeated (or cut) to exactly size bytes.
std::string Repeated(std::string_view seed, std::size_t size) {
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        text.append(seed.substr(0, size - text.size()));
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view pattern = input.substr(0, nul);
    std::string_view seed = nul == std::string_view::npos ? pattern : input.substr(nul + 1);
    if (seed.empty()) {
        seed = "x";
    }

    const std::string line = "expect match 1 " + script::ScriptString(pattern);
    const script::ParseResult parsed = script::ParseScript(line, "match.ks");
    if (const auto* failure = (parsed ? nullptr : &parsed.error())) {
        Check(failure->line == 1, "a pattern that cannot be used fails its line");
        Check(!failure->message.empty(), "and says why");
        return 0;
    }
    const script::Command& command = parsed->commands.front();
    const auto& match = std::get<script::ExpectMatch>(script::ExpectationOf(command)->check);
    Check(match.pattern != nullptr, "a pattern that parses is compiled");
    const script::Pattern& compiled = *match.pattern;
    Check(compiled.Size() > 0 && compiled.Size() <= script::Pattern::kLargest,
          "a compiled size within the bound");
    const std::size_t longest = compiled.LongestText();
    Check(static_cast<std::uint64_t>(compiled.Size()) * (longest + 1) <= script::Pattern::kMostWork,
          "the longest text a match reads is within the work a match may do");

    // Long texts, and the longest a small pattern takes only where that is
    // not far longer still.
    constexpr std::size_t kLong = 30'000;
    constexpr std::size_t kLongest = 1'000'000;
    for (const std::size_t length : {seed.size(), kLong, kLong + 7, longest, longest + 1}) {
        if (length > kLongest) {
            continue;
        }
        const std::string text = Repeated(seed, length);
        const script::Pattern::Outcome first = compiled.Match(text);
        if (length > longest) {
            Check(!first.matched && !first.refused.empty(), "a text too long is refused");
            continue;
        }
        Check(first.refused.empty(), "a text within the longest is tried");
        Check(compiled.Match(text).matched == first.matched, "the same answer every time");
    }
    return 0;
}
