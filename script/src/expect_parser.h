// The words of an `expect` line as the expectation they name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script.h"
#include "text_escapes.h"
#include "word_reader.h"

namespace script::detail {

class ExpectParser : public WordReader {
  public:
    using WordReader::WordReader;

    // The expectation; Error() says what is wrong with it, if anything.
    Expectation Parse();

  private:
    Check ParseCheck(const std::string& what);
    Check ParseMatch();
    Check ParseScreen();
    // The word is that keyword, unquoted.
    [[nodiscard]] bool Keyword(std::size_t index, std::string_view word) const;
    // X Y W H from index on, on the screen; whose names them in messages.
    ui::Rect Rectangle(std::size_t index, const std::string& whose);
    // N (pixels of the area) or P% (a share with at most two decimals).
    void Allowance(std::size_t index, const ui::Rect& area, ScreenTolerance* tolerance);

    // The checks on the unit beneath the screen (expect_unit_parser.cpp):
    // nothing when what names none of them.
    std::optional<Check> ParseUnitCheck(const std::string& what);
    Check ParseSent();
    Check ParseControl();
    Check ParseFile();
    Check ParseRegistry();
    Check ParseSound();
    std::string DeviceName(std::size_t index);
    std::vector<std::uint8_t> HexBytes(std::size_t index);
};

}  // namespace script::detail
