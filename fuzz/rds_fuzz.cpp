// Input: two bytes that seed the chunk sizes, then the module's byte stream.
// The frames and names found must not depend on how the stream is chunked,
// and nothing may read outside what it was given.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "devices/com7.h"
#include "platform/last_error.h"
#include "rds/frame_reassembler.h"
#include "rds/module_check.h"
#include "rds/ps_name_assembler.h"
#include "rds/tool_link.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Chunk sizes 1..23 from a small generator, so the cuts vary with the seed.
class Chunker {
  public:
    explicit Chunker(std::uint16_t seed) : m_state(seed | 1U) {}
    std::size_t Next() {
        m_state ^= static_cast<std::uint16_t>(m_state << 7);
        m_state ^= static_cast<std::uint16_t>(m_state >> 9);
        return 1 + m_state % 23U;
    }

  private:
    std::uint16_t m_state;
};

template <typename OnChunk>
void ForEachChunk(std::span<const std::uint8_t> stream, std::uint16_t seed, OnChunk&& onChunk) {
    Chunker chunker(seed);
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t size = std::min(chunker.Next(), stream.size() - at);
        onChunk(stream.subspan(at, size));
        at += size;
    }
}

struct Decoded {
    std::vector<RdsFrame> frames;
    std::vector<RdsPsName> names;
};

Decoded Reassemble(std::span<const std::uint8_t> stream, std::uint16_t seed, bool whole) {
    Decoded out;
    RdsFrameReassembler reassembler;
    PsNameAssembler names;
    const auto onFrame = [&](const RdsFrame& frame) {
        Require(frame.kind != RdsFrameKind::NotAFrame);
        out.frames.push_back(frame);
        if (auto name = names.Feed(frame)) {
            out.names.push_back(*name);
        }
        Require(names.NextSegment() < 4);
    };
    if (whole) {
        reassembler.Feed(stream, onFrame);
    } else {
        ForEachChunk(stream, seed, [&](std::span<const std::uint8_t> chunk) {
            reassembler.Feed(chunk, onFrame);
            Require(reassembler.Pending() < kRdsFrameSize);
        });
    }
    return out;
}

class CountingSink : public RdsToolSink {
  public:
    int raw = 0;
    int names = 0;
    void SetVersion(int first, int second, int third) override {
        Require(first >= -128 && first <= 127 && second >= -128 && second <= 127 && third >= -128 &&
                third <= 127);
    }
    void SetLevel(int level) override { Require(level >= -128 && level <= 127); }
    void SetTuneReply(bool /*strength*/, bool /*tuned*/) override {}
    void SetSeekReply(bool found, int frequency, bool /*tuned*/) override {
        Require(!found || (frequency >= kRdsBaseFrequency && frequency <= kRdsBaseFrequency + 255));
    }
    void SetPsName(const std::string& name) override {
        Require(name.size() <= std::size_t{3} * 8);
        ++names;
    }
    void SetRawWords(const RdsRawWords& words) override {
        for (const auto& word : words) {
            Require(word.size() == 6 && word.rfind("0x", 0) == 0);
        }
        ++raw;
    }
};

// Serves the stream to the module check in reads of at most the asked size
// (chunk sizes from the seed), then silence.
class StreamPort : public RdsSerialPort {
  public:
    StreamPort(std::span<const std::uint8_t> stream, std::uint16_t seed)
        : m_stream(stream), m_chunker(seed) {}

    platform::HANDLE Open() override { return 1; }
    void ConfigureLine(platform::HANDLE /*h*/) override {}
    void SetReadTimeouts(platform::HANDLE /*h*/) override {}
    platform::BOOL SetEventMask(platform::HANDLE /*h*/, platform::DWORD /*mask*/) override {
        return platform::TRUE;
    }
    platform::BOOL WaitEvent(platform::HANDLE /*h*/, platform::DWORD* events) override {
        *events = 0;
        platform::SetLastError(platform::ERROR_INVALID_HANDLE);
        return platform::FALSE;
    }
    platform::BOOL QueuedBytes(platform::HANDLE /*h*/, platform::DWORD* count) override {
        *count = 0;
        return platform::TRUE;
    }
    platform::BOOL Read(platform::HANDLE /*h*/, void* buffer, platform::DWORD toRead,
                        platform::DWORD* read) override {
        const std::size_t n = std::min({m_chunker.Next(), std::size_t{toRead}, m_stream.size()});
        std::copy_n(m_stream.begin(), n, static_cast<std::uint8_t*>(buffer));
        m_stream = m_stream.subspan(n);
        *read = static_cast<platform::DWORD>(n);
        return platform::TRUE;
    }
    platform::BOOL Write(platform::HANDLE /*h*/, const void* /*data*/, platform::DWORD toWrite,
                         platform::DWORD* written) override {
        *written = toWrite;
        return platform::TRUE;
    }
    platform::BOOL Close(platform::HANDLE /*h*/) override { return platform::TRUE; }
    platform::DWORD LastError() override { return platform::GetLastError(); }
    platform::DWORD Now() override { return 0; }

  private:
    std::span<const std::uint8_t> m_stream;
    Chunker m_chunker;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto seed = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    const std::span<const std::uint8_t> stream(data + 2, size - 2);

    const Decoded whole = Reassemble(stream, seed, true);
    const Decoded chunked = Reassemble(stream, seed, false);
    Require(whole.frames == chunked.frames);
    Require(whole.names == chunked.names);

    // The tool's handler over the same chunks: one raw display per frame.
    StreamPort port(stream, seed);
    CountingSink sink;
    {
        RdsToolLink link(port, sink);
        link.SetFrequency(kRdsBaseFrequency);
        link.Send(RdsCommand::Seek, 0, 1, (seed & 1U) != 0);  // no port: nothing written
        ForEachChunk(stream, seed, [&](std::span<const std::uint8_t> chunk) {
            link.HandleChunk(chunk.data(), chunk.size());
        });
    }
    Require(sink.raw == static_cast<int>(whole.frames.size()));
    Require(sink.names == static_cast<int>(whole.names.size()));

    // The module check reads the stream up to the first version reply.
    const std::atomic<platform::HANDLE> handle{port.Open()};
    const std::string result = RunRdsModuleCheck(port, handle);
    std::string expected = "RDS port NG!";
    for (const RdsFrame& frame : whole.frames) {
        if (const auto version = DecodeVersionReply(frame)) {
            expected = "RDS test OK.\r\nVersion=" + std::to_string(version->first) + "-" +
                       std::to_string(version->second) + "-" + std::to_string(version->third);
            break;
        }
    }
    Require(result == expected);
    return 0;
}
