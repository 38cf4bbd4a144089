#include "registry_store.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"
#include "unit_path.h"

namespace host::unit {

namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

// Reads a quoted string at the start of s; returns the rest after the quote.
platform::Result<std::string_view> ReadQuoted(std::string_view s, std::string* out) {
    if (s.empty() || s.front() != '"') {
        return platform::Fail("expected a quoted string");
    }
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            return s.substr(i + 1);
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return platform::Fail("only \\\\ and \\\" may follow a backslash in a string");
            }
            out->push_back(s[++i]);
        } else {
            out->push_back(c);
        }
    }
    return platform::Fail("string without its closing quote");
}

std::string Escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

bool IsPrefixKey(std::string_view parent, std::string_view child) {
    if (parent.empty()) {
        return true;
    }
    return child.size() > parent.size() && child[parent.size()] == '\\' &&
           EqualsNoCase(child.substr(0, parent.size()), parent);
}

}  // namespace

std::optional<std::string> RegistryStore::Normalize(std::string_view path) {
    while (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
    }
    while (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (path.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(path);
}

Result<RegistryStore> RegistryStore::Parse(std::string_view text, const std::string& fileName) {
    RegistryStore store;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Key* current = nullptr;
    bool sawHeader = false;
    int lineNo = 0;
    std::size_t pos = 0;
    auto fail = [&](std::string message, std::string key = {}) {
        return ConfigError{fileName, lineNo, std::move(key), std::move(message)};
    };
    while (pos <= text.size()) {
        const auto end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = platform::Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!sawHeader) {
            if (line != "REGEDIT4") {
                return fail("expected REGEDIT4 as the first line");
            }
            sawHeader = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                return fail("key line without its closing ]");
            }
            std::string_view name = line.substr(1, line.size() - 2);
            if (!name.empty() && name.front() == '-') {
                return fail("deleting keys is not supported");
            }
            const auto slash = name.find('\\');
            if (!EqualsNoCase(name.substr(0, slash), kRoot)) {
                return fail("only HKEY_LOCAL_MACHINE keys are supported");
            }
            std::string_view sub =
                slash == std::string_view::npos ? std::string_view{} : name.substr(slash + 1);
            auto normalized = Normalize(sub);
            if (!normalized || (!sub.empty() && sub.back() == '\\')) {
                return fail("empty key name in the path");
            }
            current = &store.Ensure(*normalized);
            continue;
        }
        if (current == nullptr) {
            return fail("value outside any key");
        }
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else {
            auto after = ReadQuoted(line, &name);
            if (!after) {
                return fail(after.error());
            }
            rest = *after;
        }
        rest = platform::Trim(rest);
        if (rest.empty() || rest.front() != '=') {
            return fail("expected = after the value name", name);
        }
        rest = platform::Trim(rest.substr(1));
        RegValue value;
        if (!rest.empty() && rest.front() == '"') {
            value.type = platform::REG_SZ;
            auto after = ReadQuoted(rest, &value.text);
            if (!after) {
                return fail(after.error(), name);
            }
            if (!platform::Trim(*after).empty()) {
                return fail("text after the closing quote", name);
            }
        } else if (rest.substr(0, 6) == "dword:") {
            const std::string_view digits = rest.substr(6);
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(),
                             [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
                return fail("dword: takes 1 to 8 hexadecimal digits", name);
            }
            value.type = platform::REG_DWORD;
            value.dword = static_cast<DWORD>(std::stoul(std::string(digits), nullptr, 16));
        } else {
            return fail("unsupported value (only \"text\" and dword:XXXXXXXX)", name);
        }
        SetValue(*current, name, std::move(value));
    }
    if (!sawHeader) {
        lineNo = 1;
        return fail("expected REGEDIT4 as the first line");
    }
    return store;
}

std::string RegistryStore::Write() const {
    std::string out = "REGEDIT4\n";
    for (const auto& key : keys_) {
        out += "\n[" + std::string(kRoot) + (key.path.empty() ? "" : "\\") + key.path + "]\n";
        for (const auto& v : key.values) {
            out += v.name.empty() ? "@" : "\"" + Escape(v.name) + "\"";
            if (v.value.type == platform::REG_DWORD) {
                char hex[16];
                static_cast<void>(std::snprintf(hex, sizeof hex, "%08x", v.value.dword));
                out += std::string("=dword:") + hex + "\n";
            } else {
                out += "=\"" + Escape(v.value.text) + "\"\n";
            }
        }
    }
    return out;
}

const RegistryStore::Key* RegistryStore::FindKey(std::string_view path) const {
    for (const auto& k : keys_) {
        if (EqualsNoCase(k.path, path)) {
            return &k;
        }
    }
    return nullptr;
}

RegistryStore::Key* RegistryStore::FindKey(std::string_view path) {
    return const_cast<Key*>(std::as_const(*this).FindKey(path));
}

bool RegistryStore::Exists(std::string_view path) const {
    if (path.empty()) {
        return true;
    }
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& k) {
        return EqualsNoCase(k.path, path) || IsPrefixKey(path, k.path);
    });
}

RegistryStore::Key& RegistryStore::Ensure(std::string_view path) {
    if (Key* k = FindKey(path)) {
        return *k;
    }
    keys_.push_back(Key{std::string(path), {}});
    return keys_.back();
}

void RegistryStore::Remove(std::string_view path) {
    const std::string p(path);
    std::erase_if(keys_,
                  [&](const Key& k) { return EqualsNoCase(k.path, p) || IsPrefixKey(p, k.path); });
}

std::vector<std::string> RegistryStore::SubKeys(std::string_view path) const {
    std::vector<std::string> out;
    for (const auto& k : keys_) {
        if (!IsPrefixKey(path, k.path)) {
            continue;
        }
        std::string_view rest = std::string_view(k.path).substr(path.empty() ? 0 : path.size() + 1);
        rest = rest.substr(0, rest.find('\\'));
        const bool seen = std::any_of(out.begin(), out.end(),
                                      [&](const std::string& s) { return EqualsNoCase(s, rest); });
        if (!seen) {
            out.emplace_back(rest);
        }
    }
    return out;
}

const RegistryStore::Val* RegistryStore::FindValue(const Key& key, std::string_view name) {
    for (const auto& v : key.values) {
        if (EqualsNoCase(v.name, name)) {
            return &v;
        }
    }
    return nullptr;
}

void RegistryStore::SetValue(Key& key, std::string_view name, RegValue value) {
    for (auto& v : key.values) {
        if (EqualsNoCase(v.name, name)) {
            v.value = std::move(value);
            return;
        }
    }
    key.values.push_back(Val{std::string(name), std::move(value)});
}

}  // namespace host::unit
