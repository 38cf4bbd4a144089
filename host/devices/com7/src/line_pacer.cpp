#include "host/com7/line_pacer.h"

#include <algorithm>

namespace host::com7 {

LinePacer::LinePacer(std::size_t maxChunk, std::uint32_t seed)
    : maxChunk_(std::max<std::size_t>(maxChunk, 1)), random_(seed != 0 ? seed : 1) {}

void LinePacer::SetMaxChunk(std::size_t maxChunk) {
    maxChunk_ = std::max<std::size_t>(maxChunk, 1);
    chunk_ = 0;
}

void LinePacer::Send(std::span<const std::uint8_t> bytes, std::uint64_t readyUs) {
    const std::uint64_t startUs = std::max(readyUs, lineFreeUs_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes_.push_back({bytes[i], startUs + ByteEndUs(i)});
    }
    if (!bytes.empty()) {
        lineFreeUs_ = bytes_.back().endUs;
    }
}

std::size_t LinePacer::NextChunkSize() {
    // xorshift32: cheap, and the same sizes on every run.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return 1 + random_ % maxChunk_;
}

std::optional<std::uint64_t> LinePacer::NextChunkUs() const {
    if (bytes_.empty()) {
        return std::nullopt;
    }
    // Before a size is drawn the first byte stands for the chunk's start;
    // TakeChunk draws it and asks again.
    const std::size_t size = chunk_ != 0 ? std::min(chunk_, bytes_.size()) : 1;
    return bytes_[size - 1].endUs;
}

std::optional<LinePacer::Chunk> LinePacer::TakeChunk(std::uint64_t nowUs) {
    if (bytes_.empty()) {
        return std::nullopt;
    }
    if (chunk_ == 0) {
        chunk_ = NextChunkSize();
    }
    // A chunk the line has not finished yet waits; a short one (the end of
    // what was sent) goes once its last byte is in.
    const std::size_t size = std::min(chunk_, bytes_.size());
    if (bytes_[size - 1].endUs > nowUs) {
        return std::nullopt;
    }
    Chunk chunk;
    chunk.endUs = bytes_[size - 1].endUs;
    chunk.bytes.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        chunk.bytes.push_back(bytes_.front().value);
        bytes_.pop_front();
    }
    chunk_ = 0;
    return chunk;
}

void LinePacer::Clear() {
    bytes_.clear();
    chunk_ = 0;
}

}  // namespace host::com7
