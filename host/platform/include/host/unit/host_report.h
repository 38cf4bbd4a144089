// What the host's devices say on standard error (gpsd gone, a malformed live
// line), and the escaping of outside text that such a line or a load error
// quotes: bytes from a capture, standard input or a network peer must not
// reach the terminal raw, where an escape sequence would act on it.
#pragma once

#include <string>
#include <string_view>

namespace host::unit {

// text with its control bytes written as escapes: \t \r \n, else \xHH for
// C0 controls, DEL, C1 controls and every byte that is not part of
// well-formed UTF-8. Printable text (and a backslash) passes unchanged, so
// escaping twice changes nothing more.
std::string EscapeControls(std::string_view text);

// One line on standard error, escaped.
void ReportOnStderr(std::string_view line);

}  // namespace host::unit
