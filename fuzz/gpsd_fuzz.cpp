// Input: one byte that seeds the chunk sizes, then what a peer on gpsd's
// port sends. The client's session asks to watch once, only after gpsd's
// banner; passes on only whole sentences (a '$' or '!' line ending in
// CR LF) and nothing after a stranger's first line, whose report holds no
// control byte; and does the same however the bytes are chunked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "gpsd_session.h"

namespace {

using fuzz::Check;

struct Outcome {
    int watches = 0;
    std::string sentences;
    std::string failure;
    bool failed = false;
};

Outcome Converse(std::string_view text, std::uint8_t seed, bool whole) {
    host::gps1::GpsdSession session;
    Outcome o;
    std::uint32_t state = seed | 1U;
    while (!text.empty()) {
        state = state * 1103515245U + 12345U;
        const std::size_t size =
            whole ? text.size() : std::min<std::size_t>(1 + (state >> 16) % 97, text.size());
        const host::gps1::GpsdSession::Step step = session.Feed(text.substr(0, size));
        text.remove_prefix(size);
        Check(!o.failed || (!step.askToWatch && step.sentences.empty() && !step.failure),
              "nothing after a failure");
        Check(!step.failure || (!step.askToWatch && step.sentences.empty()), "a failure alone");
        Check(step.sentences.empty() || session.Watching(), "sentences once watching");
        o.watches += step.askToWatch ? 1 : 0;
        o.sentences += step.sentences;
        if (step.failure) {
            o.failed = true;
            o.failure = *step.failure;
        }
    }
    Check(session.Delivered() == !o.sentences.empty(), "delivered means sentences came");
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Outcome whole = Converse(text, data[0], true);
    const Outcome chunked = Converse(text, data[0], false);
    Check(whole.watches <= 1 && whole.watches == chunked.watches, "one watch, however chunked");
    Check(whole.sentences == chunked.sentences, "the same sentences, however chunked");
    Check(whole.failed == chunked.failed && whole.failure == chunked.failure,
          "the same failure, however chunked");
    Check(!whole.failed || whole.watches == 0, "no watch for a stranger");
    for (const char c : whole.failure) {
        Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "a report without control bytes");
    }
    for (std::size_t at = 0; at < whole.sentences.size();) {
        const std::size_t end = whole.sentences.find("\r\n", at);
        Check(end != std::string::npos, "whole lines");
        Check(whole.sentences[at] == '$' || whole.sentences[at] == '!', "sentences only");
        const std::string_view line(whole.sentences.data() + at, end - at);
        Check(line.find_first_of("\r\n") == std::string_view::npos, "one line each");
        at = end + 2;
    }
    return 0;
}
