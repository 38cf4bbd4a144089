// An output stream that writes to two others: a script's messages go to the
// program's error stream as they come and into the run's record.
#pragma once

#include <algorithm>
#include <ostream>
#include <streambuf>

namespace program::detail {

class TeeBuffer final : public std::streambuf {
  public:
    TeeBuffer(std::streambuf* a, std::streambuf* b) : a_(a), b_(b) {}

  protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) {
            return traits_type::not_eof(ch);
        }
        const bool ok =
            !traits_type::eq_int_type(a_->sputc(traits_type::to_char_type(ch)),
                                      traits_type::eof()) &&
            !traits_type::eq_int_type(b_->sputc(traits_type::to_char_type(ch)), traits_type::eof());
        return ok ? ch : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::streamsize first = a_->sputn(s, n);
        const std::streamsize second = b_->sputn(s, n);
        return std::min(first, second);
    }
    int sync() override { return a_->pubsync() == 0 && b_->pubsync() == 0 ? 0 : -1; }

  private:
    std::streambuf* a_;
    std::streambuf* b_;
};

class TeeStream final : public std::ostream {
  public:
    TeeStream(std::ostream& a, std::ostream& b)
        : std::ostream(&buffer_), buffer_(a.rdbuf(), b.rdbuf()) {}

  private:
    TeeBuffer buffer_;
};

}  // namespace program::detail
