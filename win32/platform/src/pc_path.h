// Unit paths on a PC: "\Mounted Volume\Vesk\calib.dat" names
// <root>\Mounted Volume\Vesk\calib.dat, and nothing a unit path says can
// reach outside the root.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win32::pc {

enum class PathUse {
    File,     // a file or folder: no wildcards
    Pattern,  // a FindFirstFile pattern: '*' and '?' in the last component
};

// The path below the root, components joined with backslashes and without a
// leading one ("" for the root; a trailing backslash is kept). nullopt for
// anything that could leave the root or that Win32 reads as something other
// than a name below it: "." and ".." components, empty components (so no
// UNC "\\server"), '/', ':' (drive letters, streams), control characters,
// <>"|, wildcards outside a pattern's last component, and the DOS device
// names (CON, NUL, COM1, LPT1, COM¹, LPT³ ... with or without an
// extension).
std::optional<std::string> RelativePcPath(std::string_view unitPath, PathUse use);

// root + "\" + relative, with exactly one separator between them.
std::string JoinPcPath(std::string_view root, std::string_view relative);

// The last component of a pattern ("*.map" of "\Mounted Volume\*.map").
std::string_view PatternName(std::string_view pattern);

}  // namespace win32::pc
