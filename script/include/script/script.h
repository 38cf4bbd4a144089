// A script: what a technician does on the unit's screen and what the screen
// must show afterwards, one command a line. The whole text is checked before
// anything runs, so a typo never leaves a half-run session behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/result.h"
#include "ui/graphics.h"
#include "ui/presenter.h"

namespace script {

class Pattern;

// One type per command, with what it takes. Screen positions are checked by
// the parser (on the screen), control ids are 1 to 0xFFFF.
struct Tap {
    int x = 0;
    int y = 0;
    bool operator==(const Tap&) const = default;
};
struct PenDown {
    int x = 0;
    int y = 0;
    bool operator==(const PenDown&) const = default;
};
struct PenMove {
    int x = 0;
    int y = 0;
    bool operator==(const PenMove&) const = default;
};
struct PenUp {
    int x = 0;
    int y = 0;
    bool operator==(const PenUp&) const = default;
};
struct Click {
    int id = 0;
    bool operator==(const Click&) const = default;
};
struct Tab {
    int index = 0;
    bool operator==(const Tab&) const = default;
};
struct Type {
    int id = 0;
    std::string text;
    bool operator==(const Type&) const = default;
};
// A key as scripts name it: one of the framework's keys, pressed and
// released, or a hardware key of the unit held down or let go.
struct KeyStroke {
    enum class Action { Press, Down, Up };
    ui::Key key = ui::Key::None;  // keyboard keys
    std::string unitKey;          // hardware keys: the unit.toml key of the pin
    Action action = Action::Press;
    bool operator==(const KeyStroke&) const = default;
};
struct Close {
    bool operator==(const Close&) const = default;
};
struct Answer {
    int button = 0;  // IDOK or IDCANCEL
    bool operator==(const Answer&) const = default;
};
struct Wait {
    std::uint64_t ms = 0;
    bool operator==(const Wait&) const = default;
};
struct Screenshot {
    std::string file;
    bool operator==(const Screenshot&) const = default;
};
struct SetUnit {
    std::string key;  // dotted: "power.battery_mv"
    std::string value;
    bool operator==(const SetUnit&) const = default;
};
struct Quit {
    bool operator==(const Quit&) const = default;
};

// What an expectation checks on the screen.
struct ExpectText {
    int id = 0;
    std::string text;
    bool operator==(const ExpectText&) const = default;
};
struct ExpectMatch {
    int id = 0;
    std::string text;                        // the pattern as written
    std::shared_ptr<const Pattern> pattern;  // script/pattern.h, never null
    bool operator==(const ExpectMatch& o) const { return id == o.id && text == o.text; }
};
struct ExpectCaption {
    std::string text;
    bool operator==(const ExpectCaption&) const = default;
};
struct ExpectCheck {
    int id = 0;
    int state = 0;  // 0 or 1
    bool operator==(const ExpectCheck&) const = default;
};
struct ExpectEnabled {
    int id = 0;
    bool on = false;
    bool operator==(const ExpectEnabled&) const = default;
};
struct ExpectVisible {
    int id = 0;
    bool on = false;
    bool operator==(const ExpectVisible&) const = default;
};
struct ExpectMsgBox {
    std::string text;
    bool operator==(const ExpectMsgBox&) const = default;
};
struct ExpectNoMsgBox {
    bool operator==(const ExpectNoMsgBox&) const = default;
};
struct ExpectDebug {
    std::string text;
    bool operator==(const ExpectDebug&) const = default;
};
// How far an `expect screen` lets the screen stray from its reference. Two
// colours are the same when no channel differs by more than distance; past
// that, a pixel differs, and at most pixels of them (or, given a share,
// that many hundredths of a percent of the pixels compared) may.
struct ScreenTolerance {
    int distance = 0;               // 0 to 255
    int pixels = 0;                 // differing pixels allowed
    std::optional<int> shareBasis;  // 0 to 10000: 150 is 1.5 %
    bool operator==(const ScreenTolerance&) const = default;
};
struct ExpectScreen {
    std::string file;  // the reference picture
    ui::Rect area;     // the part compared: the whole screen unless given
    // Left out of the comparison: screen rectangles, each cut to the area
    // (which each meets).
    std::vector<ui::Rect> masks;
    ScreenTolerance tolerance;
    bool operator==(const ExpectScreen&) const = default;
};
struct ExpectPixel {
    int x = 0;
    int y = 0;
    std::uint32_t color = 0;  // 0xRRGGBB
    bool operator==(const ExpectPixel&) const = default;
};
struct ExpectFit {
    bool operator==(const ExpectFit&) const = default;
};

// What an expectation checks on the unit beneath the screen: its traffic,
// files, registry and sound.
struct ExpectSent {
    std::string device;  // upper case: "COM7:"
    std::vector<std::uint8_t> bytes;
    bool operator==(const ExpectSent&) const = default;
};
struct ExpectControl {
    std::string device;    // upper case: "PWM1:"
    std::string codeText;  // as written: "VESK_PWM_IOCTL_SET_DUTY" or "0x8011"
    std::uint32_t code = 0;
    std::optional<std::vector<std::uint8_t>> input;  // the input bytes, when given
    bool operator==(const ExpectControl&) const = default;
};
struct ExpectFile {
    enum class State { Present, Absent, Content };
    std::string path;  // a unit path
    State state = State::Present;
    std::string content;  // State::Content
    bool operator==(const ExpectFile&) const = default;
};
struct ExpectRegistry {
    std::string key;  // below HKEY_LOCAL_MACHINE
    bool present = true;
    bool operator==(const ExpectRegistry&) const = default;
};
struct ExpectSound {
    bool playing = true;
    std::optional<int> hz;  // its frequency, within toleranceHz
    int toleranceHz = 0;
    bool operator==(const ExpectSound&) const = default;
};

using Check =
    std::variant<ExpectText, ExpectMatch, ExpectCaption, ExpectCheck, ExpectEnabled, ExpectVisible,
                 ExpectMsgBox, ExpectNoMsgBox, ExpectDebug, ExpectScreen, ExpectPixel, ExpectFit,
                 ExpectSent, ExpectControl, ExpectFile, ExpectRegistry, ExpectSound>;

// Whether the check reads the unit's traffic (which is then recorded from
// the start of the run).
bool ReadsTraffic(const Check& check);

struct Expectation {
    Check check;
    // Retried until it holds or this much time has passed.
    std::optional<std::uint64_t> withinMs;
    bool operator==(const Expectation&) const = default;
};

using Action = std::variant<Tap, PenDown, PenMove, PenUp, Click, Tab, Type, KeyStroke, Close,
                            Answer, Wait, Screenshot, SetUnit, Quit, Expectation>;

struct Command {
    int line = 0;        // 1-based line in the script
    std::string source;  // the line as written, without surrounding blanks
    Action action = Quit{};
};

// The command's expectation, or nullptr when it acts on the screen.
inline const Expectation* ExpectationOf(const Command& c) {
    return std::get_if<Expectation>(&c.action);
}

// The command's screen comparison, or nullptr.
inline const ExpectScreen* ScreenCheckOf(const Command& c) {
    const Expectation* e = ExpectationOf(c);
    return e != nullptr ? std::get_if<ExpectScreen>(&e->check) : nullptr;
}

struct Script {
    std::string name;  // for messages: the file as given
    std::filesystem::path folder;
    std::vector<Command> commands;
};

struct ParseFailure {
    int line = 0;  // 0: the file itself (cannot be read)
    std::string message;
};

// "<name>:<line>: <message>"
std::string Describe(const std::string& name, const ParseFailure& failure);

// A script, or where and why it cannot run.
using ParseResult = platform::Result<Script, ParseFailure>;

// Checks and translates a whole script. name is used in messages only.
ParseResult ParseScript(std::string_view text, std::string name = "script");

// The text as a script string: in double quotes, with the escapes the
// parser reads back (\r \n \t \\ \" and \xHH for other control bytes).
// The text ends at a zero byte, as a window's text does.
std::string ScriptString(std::string_view text);

// Reads and parses a script file; one without a command is malformed.
ParseResult LoadScriptFile(const std::filesystem::path& file);

}  // namespace script
