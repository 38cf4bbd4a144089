// The words of an `expect` line as the expectation they name.
#pragma once

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
};

}  // namespace script::detail
