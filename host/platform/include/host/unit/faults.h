// Fault injection: a set of operations that fail with a given Win32 error
// code. An operation is a lower-case name, optionally with an argument after
// a colon: "open", "ioctl", "ioctl:0x13", "virtualcopy:0xB8300000",
// "readfile:\windows\veskapp.ini". A call fails when its operation with its
// argument is set, or else when the bare operation is set.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::unit {

// How an operation takes its argument.
enum class FaultArg { None, Number, Path };

struct FaultOp {
    std::string name;
    FaultArg arg = FaultArg::None;  // kind of the optional argument
};

class FaultSet {
  public:
    explicit FaultSet(std::vector<FaultOp> ops) : ops_(std::move(ops)) {}

    // Sets (code != 0) or clears (code 0) the failure of "op" or "op:arg".
    // Returns an error text for an unknown operation or a malformed argument.
    std::string Set(std::string_view op, std::uint32_t code);
    void Clear();

    // The code a call of op (with its argument, if any) must fail with.
    [[nodiscard]] std::optional<std::uint32_t> Find(std::string_view op) const;
    [[nodiscard]] std::optional<std::uint32_t> Find(std::string_view op, std::uint32_t arg) const;
    [[nodiscard]] std::optional<std::uint32_t> Find(std::string_view op,
                                                    std::string_view pathArg) const;

    [[nodiscard]] const std::vector<FaultOp>& ops() const { return ops_; }

  private:
    std::optional<std::uint32_t> Lookup(const std::string& key, std::string_view op) const;

    std::vector<FaultOp> ops_;
    mutable std::mutex mutex_;
    std::map<std::string, std::uint32_t> codes_;  // canonical "op" or "op:arg"
};

// Canonical argument texts: numbers as 0x%X, paths lower-case.
std::string CanonicalNumber(std::uint32_t value);
std::string CanonicalPath(std::string_view path);

}  // namespace host::unit
