// The words of one script line as a command reads them: counts, numbers in
// a range, control ids, colours. The first problem is kept; every later
// read then gives a neutral value, so a parse can go on to its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text_escapes.h"

namespace script::detail {

class WordReader {
  public:
    WordReader(std::string_view line, std::vector<Word> words);

    // The first problem, or empty.
    [[nodiscard]] const std::string& Error() const { return error_; }

  protected:
    void Fail(std::string message);
    // Fails with "expected: usage" unless the command has this many arguments.
    void Count(std::size_t arguments, const std::string& usage);
    // The word's text once the words so far were right.
    [[nodiscard]] std::string Text(std::size_t index) const;
    // A whole number from min to max, named what in messages.
    int Number(std::size_t index, std::int64_t min, std::int64_t max, const char* what);
    int Id(std::size_t index);
    std::uint64_t Millis(std::size_t index);  // 0 to a day
    std::uint32_t Color(const Word& word);    // RRGGBB

    std::string_view line_;
    std::vector<Word> words_;

  private:
    std::string error_;
};

}  // namespace script::detail
