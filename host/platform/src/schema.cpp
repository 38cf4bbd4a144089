#include "host/unit/schema.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "schema_access.h"

namespace host::unit {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

template <class F>
Setter Wrap(F set) {
    return [set = std::move(set)](const Value& v) -> std::string {
        set(v);
        return {};
    };
}

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::string token;
    auto flush = [&]() -> bool {
        if (token.size() % 2 != 0) {
            return false;
        }
        for (std::size_t i = 0; i < token.size(); i += 2) {
            unsigned value = 0;
            std::from_chars(token.data() + i, token.data() + i + 2, value, 16);
            out.push_back(static_cast<std::uint8_t>(value));
        }
        token.clear();
        return true;
    };
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',') {
            if (!flush()) {
                return std::nullopt;
            }
        } else if (IsHexDigit(c)) {
            token.push_back(c);
        } else {
            return std::nullopt;
        }
    }
    if (!flush()) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, magnitude, base);
    if (text.empty() || ec != std::errc() || p != end) {
        return std::nullopt;
    }
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (magnitude > kMax + 1) {
            return std::nullopt;
        }
        return magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                     : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > kMax) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(magnitude);
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? static_cast<unsigned>(-3) : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::optional<unsigned> Digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<std::int64_t> ParseDateTime(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SS (a blank may stand for the T)
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != 't' && text[10] != ' ') || text[13] != ':' ||
        text[16] != ':') {
        return std::nullopt;
    }
    const auto y = Digits(text, 0, 4);
    const auto mo = Digits(text, 5, 2);
    const auto d = Digits(text, 8, 2);
    const auto h = Digits(text, 11, 2);
    const auto mi = Digits(text, 14, 2);
    const auto s = Digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s) {
        return std::nullopt;
    }
    static constexpr std::array<unsigned, 12> kDays = {31, 29, 31, 30, 31, 30,
                                                       31, 31, 30, 31, 30, 31};
    if (*y < 1601 || *mo < 1 || *mo > 12 || *d < 1 || *d > kDays[*mo - 1] || *h > 23 || *mi > 59 ||
        *s > 59) {
        return std::nullopt;
    }
    const bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
    if (*mo == 2 && *d == 29 && !leap) {
        return std::nullopt;
    }
    return DaysFromCivil(*y, *mo, *d) * 86400 + std::int64_t{*h} * 3600 + std::int64_t{*mi} * 60 +
           *s;
}

KeySpec IntegerKey(std::string name, std::int64_t min, std::int64_t max) {
    KeySpec k;
    k.name = std::move(name);
    k.kind = Kind::Integer;
    k.min = min;
    k.max = max;
    return k;
}

KeySpec StringKey(std::string name) {
    KeySpec k;
    k.name = std::move(name);
    k.kind = Kind::String;
    return k;
}

KeySpec BytesKey(std::string name, std::size_t maxBytes) {
    KeySpec k;
    k.name = std::move(name);
    k.kind = Kind::Bytes;
    k.maxBytes = maxBytes;
    return k;
}

KeySpec DateTimeKey(std::string name) {
    KeySpec k;
    k.name = std::move(name);
    k.kind = Kind::DateTime;
    return k;
}

KeySpec Required(KeySpec spec) {
    spec.required = true;
    return spec;
}

KeySpec LoadTime(KeySpec spec) {
    spec.runtime = false;
    return spec;
}

std::string CheckValue(const KeySpec& spec, const Value& value) {
    switch (spec.kind) {
        case Kind::Integer: {
            const auto v = std::get<std::int64_t>(value);
            if (v < spec.min || v > spec.max) {
                return "must be between " + std::to_string(spec.min) + " and " +
                       std::to_string(spec.max) + ", found " + std::to_string(v);
            }
            return {};
        }
        case Kind::Choice: {
            const auto& v = std::get<std::string>(value);
            if (std::find(spec.choices.begin(), spec.choices.end(), v) == spec.choices.end()) {
                std::string list;
                for (const auto& c : spec.choices) {
                    list += (list.empty() ? "" : ", ") + Quoted(c);
                }
                return "must be one of " + list + ", found " + Quoted(v);
            }
            return {};
        }
        case Kind::Bytes:
            if (std::get<std::vector<std::uint8_t>>(value).size() > spec.maxBytes) {
                return "holds at most " + std::to_string(spec.maxBytes) + " bytes";
            }
            return {};
        default:
            return {};
    }
}

platform::Result<Value> ParseValueText(const KeySpec& spec, std::string_view text) {
    switch (spec.kind) {
        case Kind::Integer:
            if (auto v = ParseInteger(text)) {
                return Value{*v};
            }
            return platform::Fail("expected an integer, found " + Quoted(text));
        case Kind::Boolean:
            if (text == "true" || text == "1") {
                return Value{true};
            }
            if (text == "false" || text == "0") {
                return Value{false};
            }
            return platform::Fail("expected true or false, found " + Quoted(text));
        case Kind::String:
        case Kind::Choice:
            return Value{std::string(text)};
        case Kind::Bytes:
            if (auto v = ParseHex(text)) {
                return Value{std::move(*v)};
            }
            return platform::Fail("expected hex bytes (\"01 02 ab\"), found " + Quoted(text));
        case Kind::DateTime:
            if (auto v = ParseDateTime(text)) {
                return Value{*v};
            }
            return platform::Fail("expected a date and time YYYY-MM-DDTHH:MM:SS, found " +
                                  Quoted(text));
    }
    return platform::Fail("unknown kind");
}

Schema::Table& Schema::Table::Key(KeySpec spec, Setter set) {
    scalars_.push_back({std::move(spec), std::move(set)});
    return *this;
}

Schema::Table& Schema::Table::Integer(std::string key, std::int64_t min, std::int64_t max,
                                      std::function<void(std::int64_t)> set) {
    return Key(IntegerKey(std::move(key), min, max),
               Wrap([set = std::move(set)](const Value& v) { set(std::get<std::int64_t>(v)); }));
}

Schema::Table& Schema::Table::Boolean(std::string key, std::function<void(bool)> set) {
    KeySpec spec;
    spec.name = std::move(key);
    spec.kind = Kind::Boolean;
    return Key(std::move(spec),
               Wrap([set = std::move(set)](const Value& v) { set(std::get<bool>(v)); }));
}

Schema::Table& Schema::Table::String(std::string key, std::function<void(const std::string&)> set) {
    return Key(StringKey(std::move(key)),
               Wrap([set = std::move(set)](const Value& v) { set(std::get<std::string>(v)); }));
}

Schema::Table& Schema::Table::Choice(std::string key, std::vector<std::string> choices,
                                     std::function<void(const std::string&)> set) {
    KeySpec spec = StringKey(std::move(key));
    spec.kind = Kind::Choice;
    spec.choices = std::move(choices);
    return Key(std::move(spec),
               Wrap([set = std::move(set)](const Value& v) { set(std::get<std::string>(v)); }));
}

Schema::Table& Schema::Table::Bytes(std::string key, std::size_t maxBytes,
                                    std::function<void(const std::vector<std::uint8_t>&)> set) {
    return Key(BytesKey(std::move(key), maxBytes), Wrap([set = std::move(set)](const Value& v) {
                   set(std::get<std::vector<std::uint8_t>>(v));
               }));
}

Schema::Table& Schema::Table::LoadOnly() {
    if (!scalars_.empty()) {
        scalars_.back().spec.runtime = false;
    }
    return *this;
}

Schema::Table& Schema::Table::Records(std::string key, std::vector<KeySpec> keys,
                                      RecordSetter set) {
    records_.push_back({std::move(key), std::move(keys), std::move(set)});
    return *this;
}

Schema::Table& Schema::Table::Faults(std::string key, FaultSetter set) {
    faults_.push_back({std::move(key), std::move(set)});
    return *this;
}

Schema::Table& Schema::Add(const std::string& name) {
    for (auto& t : tables_) {
        if (t->name() == name) {
            return *t;
        }
    }
    tables_.push_back(std::make_unique<Table>(name));
    return *tables_.back();
}

void Schema::AddNamed(const std::string& name, std::vector<KeySpec> keys, NamedSetter set) {
    Table& t = Add(name);
    t.named_ = true;
    t.namedKeys_ = std::move(keys);
    t.namedSet_ = std::move(set);
}

const Schema::Table* Schema::Find(std::string_view name) const {
    for (const auto& t : tables_) {
        if (t->name() == name) {
            return t.get();
        }
    }
    return nullptr;
}

std::vector<std::string> Schema::TableNames() const {
    std::vector<std::string> names;
    for (const auto& t : tables_) {
        names.push_back(t->name());
    }
    return names;
}

SetError Schema::Set(std::string_view dottedKey, std::string_view value) const {
    const std::string key(dottedKey);
    auto fail = [&](std::string message) -> SetError {
        return ConfigError{{}, 0, key, std::move(message)};
    };
    const auto dot = dottedKey.find('.');
    if (dot == std::string_view::npos) {
        return fail("expected table.key");
    }
    const Table* table = Find(dottedKey.substr(0, dot));
    if (table == nullptr) {
        return fail("unknown table " + Quoted(dottedKey.substr(0, dot)));
    }
    const std::string_view rest = dottedKey.substr(dot + 1);

    auto apply = [&](const KeySpec& spec, auto&& call) -> SetError {
        auto parsed = ParseValueText(spec, value);
        if (!parsed) {
            return fail(parsed.error());
        }
        const Value& v = *parsed;
        if (auto err = CheckValue(spec, v); !err.empty()) {
            return fail(err);
        }
        if (auto err = call(v); !err.empty()) {
            return fail(err);
        }
        return std::nullopt;
    };

    if (table->named_) {
        const auto last = rest.rfind('.');
        if (last == std::string_view::npos) {
            return fail("expected " + table->name() + ".<name>.<key>");
        }
        const std::string entry(rest.substr(0, last));
        const std::string_view name = rest.substr(last + 1);
        for (const auto& spec : table->namedKeys_) {
            if (spec.name == name) {
                return apply(spec,
                             [&](const Value& v) { return table->namedSet_(entry, spec.name, v); });
            }
        }
        return fail("unknown key");
    }
    for (const auto& f : table->faults_) {
        if (rest.size() > f.key.size() && rest.substr(0, f.key.size()) == f.key &&
            rest[f.key.size()] == '.') {
            const std::string op(rest.substr(f.key.size() + 1));
            const KeySpec spec = IntegerKey(op, 0, 0xFFFFFFFFLL);
            return apply(spec, [&](const Value& v) {
                return f.set(op, static_cast<std::uint32_t>(std::get<std::int64_t>(v)));
            });
        }
    }
    for (const auto& s : table->scalars_) {
        if (s.spec.name == rest) {
            if (!s.spec.runtime) {
                return fail("is read when the unit is loaded and cannot change while it runs");
            }
            return apply(s.spec, s.set);
        }
    }
    for (const auto& r : table->records_) {
        if (r.key == rest) {
            return fail("is read when the unit is loaded and cannot change while it runs");
        }
    }
    return fail("unknown key");
}

}  // namespace host::unit
