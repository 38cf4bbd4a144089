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

#include "ui/graphics.h"
#include "ui/presenter.h"

namespace script {

class Pattern;

enum class Op {
    Tap,             // x, y
    Down,            // x, y
    Move,            // x, y
    Up,              // x, y
    Click,           // id
    Tab,             // number: the tab's index
    Type,            // id, text
    Key,             // key
    Close,           //
    Answer,          // number: IDOK or IDCANCEL
    Wait,            // ms
    ExpectText,      // id, text
    ExpectMatch,     // id, text (the pattern as written), pattern
    ExpectCaption,   // text
    ExpectCheck,     // id, number
    ExpectEnabled,   // id, number
    ExpectVisible,   // id, number
    ExpectMsgBox,    // text
    ExpectNoMsgBox,  //
    ExpectDebug,     // text
    ExpectScreen,    // text: the reference picture; area (empty: the whole screen)
    ExpectPixel,     // x, y, color
    ExpectFit,       //
    Screenshot,      // text: the file
    Unit,            // text: dotted key, value
    Quit,            //
};

// A key as scripts name it: one of the framework's keys, pressed and
// released, or a hardware key of the unit held down or let go.
struct KeyStroke {
    enum class Action { Press, Down, Up };
    ui::Key key = ui::Key::None;  // keyboard keys
    std::string unitKey;          // hardware keys: the unit.toml key of the pin
    Action action = Action::Press;
};

struct Command {
    Op op = Op::Quit;
    int line = 0;        // 1-based line in the script
    std::string source;  // the line as written, without surrounding blanks
    int x = 0;
    int y = 0;
    int id = 0;
    int number = 0;
    std::uint64_t ms = 0;
    std::string text;
    std::string value;                       // unit: the value
    std::shared_ptr<const Pattern> pattern;  // script/pattern.h
    KeyStroke key;
    ui::Rect area;            // expect screen: the part compared
    std::uint32_t color = 0;  // expect pixel: 0xRRGGBB
    // Expectations: retried until they hold or this much time has passed.
    std::optional<std::uint64_t> withinMs;
};

// Whether a command checks the screen rather than acting on it.
bool IsExpectation(Op op);

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

using ParseResult = std::variant<Script, ParseFailure>;

// Checks and translates a whole script. name is used in messages only.
ParseResult ParseScript(std::string_view text, std::string name = "script");

// The text as a script string: in double quotes, with the escapes the
// parser reads back (\r \n \t \\ \" and \xHH for other control bytes).
// The text ends at a zero byte, as a window's text does.
std::string ScriptString(std::string_view text);

// Reads and parses a script file; one without a command is malformed.
ParseResult LoadScriptFile(const std::filesystem::path& file);

}  // namespace script
