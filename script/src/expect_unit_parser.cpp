// The expectations on the unit beneath the screen: its traffic, files,
// registry and sound.
#include <cctype>
#include <charconv>
#include <string>

#include "devices/control_codes.h"
#include "expect_parser.h"
#include "platform/unit_paths.h"

namespace script::detail {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool IsDeviceName(std::string_view name) {
    return name.size() == 5 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
           std::isalpha(static_cast<unsigned char>(name[1])) != 0 &&
           std::isalpha(static_cast<unsigned char>(name[2])) != 0 &&
           std::isdigit(static_cast<unsigned char>(name[3])) != 0 && name[4] == ':';
}

std::string KnownCodes(std::string_view device) {
    std::string known;
    for (const ControlCodeName& c : kControlCodeNames) {
        if (c.device == device) {
            known += (known.empty() ? "" : ", ") + std::string(c.name);
        }
    }
    return known;
}

}  // namespace

std::optional<Check> ExpectParser::ParseUnitCheck(const std::string& what) {
    if (what == "sent") {
        return ParseSent();
    }
    if (what == "control") {
        return ParseControl();
    }
    if (what == "file") {
        return ParseFile();
    }
    if (what == "registry") {
        return ParseRegistry();
    }
    if (what == "sound") {
        return ParseSound();
    }
    return std::nullopt;
}

std::string ExpectParser::DeviceName(std::size_t index) {
    std::string name = Text(index);
    if (!Error().empty()) {
        return {};
    }
    if (!IsDeviceName(name)) {
        Fail("the device must be a stream device's name such as COM7:, not " + Quote(name));
        return {};
    }
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

std::vector<std::uint8_t> ExpectParser::HexBytes(std::size_t index) {
    const std::string text = Text(index);
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (c == ' ') {
            if (high >= 0) {
                break;  // a lone digit before a blank
            }
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0) {
            Fail("the bytes must be hex digits in pairs (\"FF 73 7D\"), not " + Quote(text));
            return {};
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) {
        Fail("the bytes must be hex digits in pairs (\"FF 73 7D\"), not " + Quote(text));
        return {};
    }
    return bytes;
}

Check ExpectParser::ParseSent() {
    Count(3, "expect sent DEVICE \"HEX\"");
    ExpectSent sent;
    sent.device = DeviceName(2);
    sent.bytes = HexBytes(3);
    return sent;
}

Check ExpectParser::ParseControl() {
    constexpr const char* kUsage = "expect control DEVICE CODE [\"HEX\"]";
    ExpectControl control;
    if (words_.size() != 4 && words_.size() != 5) {
        Fail(std::string("expected: ") + kUsage);
        return control;
    }
    control.device = DeviceName(2);
    control.codeText = Text(3);
    if (!Error().empty()) {
        return control;
    }
    const std::string& code = control.codeText;
    if (!code.empty() && std::isdigit(static_cast<unsigned char>(code[0])) != 0) {
        const bool hex = code.size() > 2 && code[0] == '0' && (code[1] == 'x' || code[1] == 'X');
        const char* begin = code.data() + (hex ? 2 : 0);
        const char* end = code.data() + code.size();
        const auto [ptr, ec] = std::from_chars(begin, end, control.code, hex ? 16 : 10);
        if (ec != std::errc() || ptr != end) {
            Fail("the code must be a number (0x8011) or a name of the device's codes, not " +
                 Quote(code));
        }
    } else if (const auto known = ControlCodeByName(control.device, code)) {
        control.code = *known;
    } else {
        const std::string names = KnownCodes(control.device);
        Fail("no control code " + Quote(code) + " of " + control.device +
             (names.empty() ? std::string(" (the device has no named codes: give a number)")
                            : " (" + names + ")"));
    }
    if (words_.size() == 5) {
        control.input = HexBytes(4);
    }
    return control;
}

Check ExpectParser::ParseFile() {
    constexpr const char* kUsage = "expect file \"PATH\" present|absent|\"CONTENT\"";
    ExpectFile file;
    Count(3, kUsage);
    file.path = Text(2);
    if (!Error().empty()) {
        return file;
    }
    if (!platform::SplitUnitPath(file.path, false) || file.path.empty() || file.path[0] != '\\') {
        Fail(Quote(file.path) +
             " is no path on the unit (\"\\\\Mounted Volume\\\\Vesk\\\\calib.dat\")");
        return file;
    }
    const Word& state = words_[3];
    if (state.quoted) {
        file.state = ExpectFile::State::Content;
        file.content = state.text;
    } else if (state.text == "present" || state.text == "absent") {
        file.state =
            state.text == "present" ? ExpectFile::State::Present : ExpectFile::State::Absent;
    } else {
        Fail(std::string("expected: ") + kUsage);
    }
    return file;
}

Check ExpectParser::ParseRegistry() {
    constexpr const char* kUsage = "expect registry \"KEY\" present|absent";
    ExpectRegistry registry;
    Count(3, kUsage);
    registry.key = Text(2);
    const std::string state = Text(3);
    if (!Error().empty()) {
        return registry;
    }
    if (registry.key.empty()) {
        Fail("expect registry needs a key below HKEY_LOCAL_MACHINE (\"Drivers\\\\Active\\\\12\")");
    } else if (state == "present" || state == "absent") {
        registry.present = state == "present";
    } else {
        Fail(std::string("expected: ") + kUsage);
    }
    return registry;
}

Check ExpectParser::ParseSound() {
    constexpr const char* kUsage = "expect sound playing [HZ [TOLERANCE]]|silent";
    ExpectSound sound;
    const std::string state = Text(2);
    if (words_.size() == 3 && state == "silent") {
        sound.playing = false;
        return sound;
    }
    if (words_.size() < 3 || words_.size() > 5 || state != "playing") {
        Fail(std::string("expected: ") + kUsage);
        return sound;
    }
    if (words_.size() >= 4) {
        sound.hz = Number(3, 1, 100000, "HZ");
        // Without a tolerance: 1 % of the frequency, at least 1 Hz.
        sound.toleranceHz =
            words_.size() == 5 ? Number(4, 0, 100000, "TOLERANCE") : std::max(1, *sound.hz / 100);
    }
    return sound;
}

}  // namespace script::detail

namespace script {

bool ReadsTraffic(const Check& check) {
    return std::holds_alternative<ExpectSent>(check) ||
           std::holds_alternative<ExpectControl>(check) ||
           std::holds_alternative<ExpectSound>(check);
}

}  // namespace script
