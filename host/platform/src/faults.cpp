#include "host/unit/faults.h"

#include <charconv>
#include <cstdio>

#include "unit_path.h"

namespace host::unit {

namespace {

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || p != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string CanonicalNumber(std::uint32_t value) {
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%X", value));
    return text;
}

std::string CanonicalPath(std::string_view path) {
    std::string out = LowerAscii(path);
    if (out.empty() || out.front() != '\\') {
        out.insert(out.begin(), '\\');
    }
    return out;
}

std::string FaultSet::Set(std::string_view op, std::uint32_t code) {
    const auto colon = op.find(':');
    const std::string name = LowerAscii(op.substr(0, colon));
    const FaultOp* known = nullptr;
    for (const auto& o : ops_) {
        if (o.name == name) {
            known = &o;
        }
    }
    if (known == nullptr) {
        std::string list;
        for (const auto& o : ops_) {
            list += (list.empty() ? "" : ", ") + o.name;
        }
        return "unknown operation \"" + name + "\" (known: " + list + ")";
    }
    std::string key = name;
    if (colon != std::string_view::npos) {
        const std::string_view arg = op.substr(colon + 1);
        switch (known->arg) {
            case FaultArg::None:
                return "operation \"" + name + "\" takes no argument";
            case FaultArg::Number: {
                const auto n = ParseNumber(arg);
                if (!n) {
                    return "expected a number after \"" + name + ":\"";
                }
                key += ":" + CanonicalNumber(*n);
                break;
            }
            case FaultArg::Path:
                if (arg.empty()) {
                    return "expected a path after \"" + name + ":\"";
                }
                key += ":" + CanonicalPath(arg);
                break;
        }
    }
    std::lock_guard lock(mutex_);
    if (code == 0) {
        codes_.erase(key);
    } else {
        codes_[key] = code;
    }
    return {};
}

void FaultSet::Clear() {
    std::lock_guard lock(mutex_);
    codes_.clear();
}

std::optional<std::uint32_t> FaultSet::Lookup(const std::string& key, std::string_view op) const {
    std::lock_guard lock(mutex_);
    if (auto it = codes_.find(key); it != codes_.end()) {
        return it->second;
    }
    if (auto it = codes_.find(std::string(op)); it != codes_.end()) {
        return it->second;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> FaultSet::Find(std::string_view op) const {
    return Lookup(std::string(op), op);
}

std::optional<std::uint32_t> FaultSet::Find(std::string_view op, std::uint32_t arg) const {
    return Lookup(std::string(op) + ":" + CanonicalNumber(arg), op);
}

std::optional<std::uint32_t> FaultSet::Find(std::string_view op, std::string_view pathArg) const {
    return Lookup(std::string(op) + ":" + CanonicalPath(pathArg), op);
}

}  // namespace host::unit
