// The schema of unit.toml: every component declares its table and keys with
// their types, ranges and a setter bound to its own state. Loading the file
// and changing a key at run time (VirtualUnit::Set) validate the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/unit/config_error.h"

namespace host::unit {

enum class Kind {
    Integer,   // TOML integer (decimal or 0x...)
    Boolean,   // true / false
    String,    // any text
    Choice,    // one of a fixed list of words
    Bytes,     // hex text "01 02 ab" (blanks optional) or an array of 0..255
    DateTime,  // 2006-03-05T14:07:09, native or quoted; no time zone
};

// A checked value. DateTime values are seconds since 1970-01-01T00:00:00,
// taken as they are written (no time-zone change).
using Value = std::variant<std::int64_t, bool, std::string, std::vector<std::uint8_t>>;

struct KeySpec {
    std::string name;
    Kind kind = Kind::Integer;
    std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::int64_t max = std::numeric_limits<std::int64_t>::max();
    std::vector<std::string> choices;                                // Choice
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max();  // Bytes
    bool required = false;                                           // keys of records
    bool runtime = true;  // may be changed by VirtualUnit::Set
};

// Key specs for records and named tables.
KeySpec IntegerKey(std::string name, std::int64_t min, std::int64_t max);
KeySpec StringKey(std::string name);
KeySpec BytesKey(std::string name, std::size_t maxBytes);
KeySpec DateTimeKey(std::string name);
KeySpec Required(KeySpec spec);
KeySpec LoadTime(KeySpec spec);

// The keys present in one record ([[fs.file]]) or named table.
using Record = std::map<std::string, Value>;

// A setter returns an empty string when it accepted the value, otherwise the
// reason it refused it (reported with the file, line and key).
using Setter = std::function<std::string(const Value&)>;
// Records also get the line they start on, for errors found later.
using RecordSetter = std::function<std::string(const Record&, int line)>;
using NamedSetter =
    std::function<std::string(const std::string& entry, const std::string& key, const Value&)>;
using FaultSetter = std::function<std::string(const std::string& op, std::uint32_t code)>;

class Schema {
  public:
    // One [table] with fixed keys. The typed helpers wrap a void setter.
    class Table {
      public:
        explicit Table(std::string name) : name_(std::move(name)) {}

        Table& Key(KeySpec spec, Setter set);
        Table& Integer(std::string key, std::int64_t min, std::int64_t max,
                       std::function<void(std::int64_t)> set);
        Table& Boolean(std::string key, std::function<void(bool)> set);
        Table& String(std::string key, std::function<void(const std::string&)> set);
        Table& Choice(std::string key, std::vector<std::string> choices,
                      std::function<void(const std::string&)> set);
        Table& Bytes(std::string key, std::size_t maxBytes,
                     std::function<void(const std::vector<std::uint8_t>&)> set);
        // Marks the key declared last as read at load time only.
        Table& LoadOnly();
        // [[table.key]]: an array of records with the given keys.
        Table& Records(std::string key, std::vector<KeySpec> keys, RecordSetter set);
        // [table.key]: a sub-table of free operation names mapped to error
        // codes (fault injection); the setter checks the name.
        Table& Faults(std::string key, FaultSetter set);

        [[nodiscard]] const std::string& name() const { return name_; }

      private:
        friend class Schema;
        friend class SchemaAccess;
        struct Scalar {
            KeySpec spec;
            Setter set;
        };
        struct RecordList {
            std::string key;
            std::vector<KeySpec> keys;
            RecordSetter set;
        };
        struct FaultMap {
            std::string key;
            FaultSetter set;
        };
        std::string name_;
        std::vector<Scalar> scalars_;
        std::vector<RecordList> records_;
        std::vector<FaultMap> faults_;
        // Named tables: [table."entry"] with these keys.
        bool named_ = false;
        std::vector<KeySpec> namedKeys_;
        NamedSetter namedSet_;
    };

    Schema() = default;
    Schema(const Schema&) = delete;
    Schema& operator=(const Schema&) = delete;

    // Declares [name]; declaring a name twice returns the same table, so a
    // component may add keys to a table another one started.
    Table& Add(const std::string& name);
    // Declares [name."entry"] tables with free entry names and fixed keys.
    void AddNamed(const std::string& name, std::vector<KeySpec> keys, NamedSetter set);

    [[nodiscard]] const Table* Find(std::string_view name) const;
    [[nodiscard]] std::vector<std::string> TableNames() const;

    // Applies one run-time setting: "pwm.photo_level" "700",
    // "pwm.fail.ioctl:0x13" "31", "volume.Mounted Volume.free_bytes" "1024".
    SetError Set(std::string_view dottedKey, std::string_view value) const;

  private:
    friend class SchemaAccess;
    std::vector<std::unique_ptr<Table>> tables_;
};

// Parses a text value for a key of the given spec, as Set does; an error
// text when it does not fit.
platform::Result<Value> ParseValueText(const KeySpec& spec, std::string_view text);
// Checks a value against its spec's range or choices; empty when it fits.
std::string CheckValue(const KeySpec& spec, const Value& value);
// "2006-03-05T14:07:09" -> seconds since 1970, or nullopt.
std::optional<std::int64_t> ParseDateTime(std::string_view text);

}  // namespace host::unit
