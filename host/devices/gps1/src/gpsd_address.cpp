#include "gpsd_address.h"

#include <algorithm>
#include <charconv>

namespace host::gps1 {

namespace {

constexpr std::string_view kGpsdPort = "2947";

bool ValidPort(std::string_view port) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    return ec == std::errc() && end == port.data() + port.size() && value >= 1 && value <= 65535;
}

bool ValidHost(std::string_view host) {
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return c <= ' ' || c == '/' || c == '[' || c == ']' || c == 0x7F;
    });
}

}  // namespace

std::string GpsdAddress::Text() const {
    return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + port;
}

std::optional<GpsdAddress> ParseGpsdAddress(std::string_view text) {
    GpsdAddress address;
    std::string_view port = kGpsdPort;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        address.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(':')) {
                return std::nullopt;
            }
            port = rest.substr(1);
        }
        if (address.host.empty() || address.host.find_first_of("[] /") != std::string::npos) {
            return std::nullopt;
        }
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon != std::string_view::npos) {
            if (text.find(':') != colon) {
                return std::nullopt;  // an IPv6 address needs its brackets
            }
            port = text.substr(colon + 1);
            text = text.substr(0, colon);
        }
        if (!ValidHost(text)) {
            return std::nullopt;
        }
        address.host = std::string(text);
    }
    if (!ValidPort(port)) {
        return std::nullopt;
    }
    address.port = std::string(port);
    return address;
}

}  // namespace host::gps1
