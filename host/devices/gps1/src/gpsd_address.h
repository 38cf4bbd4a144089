// Where gpsd listens: "HOST:PORT" as unit.toml's gps.gpsd gives it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host::gps1 {

inline constexpr std::string_view kDefaultGpsd = "localhost:2947";

struct GpsdAddress {
    std::string host;
    std::string port;

    [[nodiscard]] std::string Text() const;
};

// "HOST:PORT", "HOST" (gpsd's port 2947) or "[IPv6 address]:PORT"; the
// port a number from 1 to 65535. nullopt for anything else.
std::optional<GpsdAddress> ParseGpsdAddress(std::string_view text);

}  // namespace host::gps1
