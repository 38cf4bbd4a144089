#include "pvsns.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace host::gps1 {

namespace {

constexpr std::string_view kRmc = "$GPRMC";
constexpr std::string_view kPvsns = "$PVSNS";

std::string Tenths(std::int32_t tenths) {
    const std::int64_t v = tenths;
    const std::int64_t magnitude = v < 0 ? -v : v;
    return (v < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
           std::to_string(magnitude % 10);
}

bool CouldStart(std::string_view head, std::string_view tag) {
    return tag.substr(0, head.size()) == head;
}

}  // namespace

std::string NmeaChecksum(std::string_view body) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    std::array<char, 3> hex{};
    static_cast<void>(std::snprintf(hex.data(), hex.size(), "%02X", sum));
    return {hex.data(), 2};
}

std::string BuildPvsns(const SensorValues& values) {
    const std::string body = "PVSNS,A,," + Tenths(values.gradientTenths) + "," +
                             Tenths(values.pressureTenths) + ",,," +
                             (values.deadReckoning ? "1" : "0") + "," + (values.cradle ? "1" : "0");
    return "$" + body + "*" + NmeaChecksum(body) + "\r\n";
}

bool ParseTenths(std::string_view text, std::int32_t* tenths) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 1 ||
        (dot != std::string_view::npos && fraction.empty())) {
        return false;
    }
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
    if (ec != std::errc() || end != whole.data() + whole.size() || value > 100000000) {
        return false;
    }
    value *= 10;
    if (!fraction.empty()) {
        if (fraction.front() < '0' || fraction.front() > '9') {
            return false;
        }
        value += fraction.front() - '0';
    }
    *tenths = static_cast<std::int32_t>(negative ? -value : value);
    return true;
}

std::string PvsnsInserter::Feed(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + (sawPvsns_ ? 0 : 64));
    for (char c : bytes) {
        if (!atLineStart_) {
            out.push_back(c);
            atLineStart_ = c == '\r' || c == '\n';
            continue;
        }
        head_.push_back(c);
        if (c == '\r' || c == '\n' || head_.size() == kRmc.size() ||
            (!CouldStart(head_, kRmc) && !CouldStart(head_, kPvsns))) {
            Decide(out);
        }
    }
    return out;
}

void PvsnsInserter::Decide(std::string& out) {
    if (head_ == kPvsns) {
        sawPvsns_ = true;
    } else if (head_ == kRmc && !sawPvsns_) {
        out += make_();
    }
    out += head_;
    const char last = head_.back();
    head_.clear();
    atLineStart_ = last == '\r' || last == '\n';
}

}  // namespace host::gps1
