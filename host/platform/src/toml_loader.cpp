// Applies unit.toml to a schema: every table, key and value is checked, and
// the first problem is reported with the file, its line and the dotted key.
#include <toml++/toml.h>

#include <cstdio>

#include "schema_access.h"
#include "unit_impl.h"

namespace host::unit {

namespace {

int LineOf(const toml::source_region& r) {
    return static_cast<int>(r.begin.line);
}

std::string TypeName(const toml::node& n) {
    switch (n.type()) {
        case toml::node_type::table:
            return "a table";
        case toml::node_type::array:
            return "an array";
        case toml::node_type::string:
            return "a string";
        case toml::node_type::integer:
            return "an integer";
        case toml::node_type::floating_point:
            return "a floating-point number";
        case toml::node_type::boolean:
            return "a boolean";
        case toml::node_type::date:
            return "a date";
        case toml::node_type::time:
            return "a time";
        case toml::node_type::date_time:
            return "a date-time";
        default:
            return "nothing";
    }
}

// A node as a checked value of its key's kind, or the reason it is not one.
platform::Result<Value> Convert(const KeySpec& spec, const toml::node& n) {
    auto expected = [&](const char* what) -> platform::Result<Value> {
        return platform::Fail(std::string("expected ") + what + ", found " + TypeName(n));
    };
    platform::Result<Value> out = Value{};
    switch (spec.kind) {
        case Kind::Integer:
            if (const auto* v = n.as_integer()) {
                out = Value{v->get()};
            } else {
                return expected("an integer");
            }
            break;
        case Kind::Boolean:
            if (const auto* v = n.as_boolean()) {
                out = Value{v->get()};
            } else {
                return expected("true or false");
            }
            break;
        case Kind::String:
        case Kind::Choice:
            if (const auto* v = n.as_string()) {
                out = Value{v->get()};
            } else {
                return expected("a string");
            }
            break;
        case Kind::Bytes:
            if (const auto* v = n.as_string()) {
                out = ParseValueText(spec, v->get());
            } else if (const auto* a = n.as_array()) {
                std::vector<std::uint8_t> bytes;
                for (const auto& e : *a) {
                    const auto* i = e.as_integer();
                    if (i == nullptr || i->get() < 0 || i->get() > 255) {
                        return platform::Fail("expected bytes 0 to 255 in the array");
                    }
                    bytes.push_back(static_cast<std::uint8_t>(i->get()));
                }
                out = Value{std::move(bytes)};
            } else {
                return expected("hex text or an array of bytes");
            }
            break;
        case Kind::DateTime:
            if (const auto* v = n.as_string()) {
                out = ParseValueText(spec, v->get());
            } else if (const auto* dt = n.as_date_time()) {
                const toml::date_time& t = dt->get();
                if (t.offset) {
                    return platform::Fail("give the time without a time zone");
                }
                char text[32];
                static_cast<void>(std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u",
                                                unsigned{t.date.year}, unsigned{t.date.month},
                                                unsigned{t.date.day}, unsigned{t.time.hour},
                                                unsigned{t.time.minute}, unsigned{t.time.second}));
                out = ParseValueText(spec, text);
            } else {
                return expected("a date-time YYYY-MM-DDTHH:MM:SS");
            }
            break;
    }
    if (out) {
        if (auto err = CheckValue(spec, *out); !err.empty()) {
            return platform::Fail(err);
        }
    }
    return out;
}

class Loader {
  public:
    Loader(const Schema& schema, std::string file) : schema_(schema), file_(std::move(file)) {}

    std::optional<ConfigError> Apply(const toml::table& root) {
        for (auto&& [k, node] : root) {
            const std::string name(k.str());
            const auto* table = schema_.Find(name);
            if (table == nullptr) {
                return Error(LineOf(k.source()), name, "unknown table");
            }
            const auto* t = node.as_table();
            if (t == nullptr) {
                return Error(LineOf(node.source()), name, "expected a table [" + name + "]");
            }
            auto err =
                SchemaAccess::Named(*table) ? ApplyNamed(*table, *t) : ApplyTable(*table, *t);
            if (err) {
                return err;
            }
        }
        return std::nullopt;
    }

  private:
    ConfigError Error(int line, std::string key, std::string message) const {
        return ConfigError{file_, line, std::move(key), std::move(message)};
    }

    std::optional<ConfigError> ApplyValue(const KeySpec& spec, const toml::node& n,
                                          const std::string& dotted, const Setter& set) {
        auto v = Convert(spec, n);
        if (!v) {
            return Error(LineOf(n.source()), dotted, v.error());
        }
        if (auto err = set(*v); !err.empty()) {
            return Error(LineOf(n.source()), dotted, err);
        }
        return std::nullopt;
    }

    std::optional<ConfigError> ApplyNamed(const Schema::Table& table, const toml::table& t) {
        for (auto&& [entryKey, entryNode] : t) {
            const std::string entry(entryKey.str());
            const std::string prefix = table.name() + "." + entry;
            const auto* sub = entryNode.as_table();
            if (sub == nullptr) {
                return Error(LineOf(entryNode.source()), prefix,
                             "expected a table [" + table.name() + ".\"" + entry + "\"]");
            }
            for (auto&& [k, n] : *sub) {
                const std::string key(k.str());
                const KeySpec* spec = nullptr;
                for (const auto& s : SchemaAccess::NamedKeys(table)) {
                    if (s.name == key) {
                        spec = &s;
                    }
                }
                std::string dotted = prefix;
                dotted.append(".").append(key);
                if (spec == nullptr) {
                    return Error(LineOf(k.source()), dotted, "unknown key");
                }
                const auto& set = SchemaAccess::NamedSet(table);
                auto err = ApplyValue(*spec, n, dotted,
                                      [&](const Value& v) { return set(entry, key, v); });
                if (err) {
                    return err;
                }
            }
        }
        return std::nullopt;
    }

    std::optional<ConfigError> ApplyTable(const Schema::Table& table, const toml::table& t) {
        for (auto&& [k, n] : t) {
            const std::string key(k.str());
            const std::string dotted = table.name() + "." + key;
            bool known = false;
            for (const auto& s : SchemaAccess::Scalars(table)) {
                if (s.spec.name == key) {
                    known = true;
                    if (auto err = ApplyValue(s.spec, n, dotted, s.set)) {
                        return err;
                    }
                }
            }
            for (const auto& r : SchemaAccess::Records(table)) {
                if (r.key == key) {
                    known = true;
                    if (auto err = ApplyRecords(r, n, dotted)) {
                        return err;
                    }
                }
            }
            for (const auto& f : SchemaAccess::Faults(table)) {
                if (f.key == key) {
                    known = true;
                    if (auto err = ApplyFaults(f, n, dotted)) {
                        return err;
                    }
                }
            }
            if (!known) {
                return Error(LineOf(k.source()), dotted, "unknown key");
            }
        }
        return std::nullopt;
    }

    std::optional<ConfigError> ApplyRecords(const SchemaAccess::RecordList& list,
                                            const toml::node& n, const std::string& dotted) {
        const auto* array = n.as_array();
        if (array == nullptr) {
            return Error(LineOf(n.source()), dotted,
                         "expected an array of tables [[" + dotted + "]]");
        }
        int index = 0;
        for (const auto& element : *array) {
            const std::string at = dotted + "[" + std::to_string(index++) + "]";
            const auto* t = element.as_table();
            if (t == nullptr) {
                return Error(LineOf(element.source()), at, "expected a table");
            }
            Record record;
            for (auto&& [k, v] : *t) {
                const std::string key(k.str());
                const KeySpec* spec = nullptr;
                for (const auto& s : list.keys) {
                    if (s.name == key) {
                        spec = &s;
                    }
                }
                std::string keyPath = at;
                keyPath.append(".").append(key);
                if (spec == nullptr) {
                    return Error(LineOf(k.source()), keyPath, "unknown key");
                }
                auto err = ApplyValue(*spec, v, keyPath, [&](const Value& value) {
                    record[key] = value;
                    return std::string();
                });
                if (err) {
                    return err;
                }
            }
            const int line = LineOf(element.source());
            for (const auto& s : list.keys) {
                if (s.required && !record.contains(s.name)) {
                    return Error(line, at + "." + s.name, "missing");
                }
            }
            if (auto err = list.set(record, line); !err.empty()) {
                return Error(line, at, err);
            }
        }
        return std::nullopt;
    }

    std::optional<ConfigError> ApplyFaults(const SchemaAccess::FaultMap& map, const toml::node& n,
                                           const std::string& dotted) {
        const auto* t = n.as_table();
        if (t == nullptr) {
            return Error(LineOf(n.source()), dotted, "expected a table [" + dotted + "]");
        }
        for (auto&& [k, v] : *t) {
            const std::string op(k.str());
            const KeySpec spec = IntegerKey(op, 0, 0xFFFFFFFFLL);
            std::string dottedOp = dotted;
            dottedOp.append(".").append(op);
            auto err = ApplyValue(spec, v, dottedOp, [&](const Value& value) {
                return map.set(op, static_cast<std::uint32_t>(std::get<std::int64_t>(value)));
            });
            if (err) {
                return err;
            }
        }
        return std::nullopt;
    }

    const Schema& schema_;
    std::string file_;
};

}  // namespace

std::optional<ConfigError> ApplyToml(const Schema& schema, const std::filesystem::path& file) {
    const std::string name = file.string();
    toml::table root;
    try {
        root = toml::parse_file(name);
    } catch (const toml::parse_error& e) {
        return ConfigError{name, LineOf(e.source()), {}, std::string(e.description())};
    }
    return Loader(schema, name).Apply(root);
}

}  // namespace host::unit
