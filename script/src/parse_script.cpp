#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "file_kind.h"
#include "platform/services.h"
#include "platform/text.h"
#include "script/pattern.h"
#include "script/script.h"
#include "script/utf8_path.h"
#include "text_escapes.h"

namespace script {

namespace {

using detail::Word;

constexpr std::uint64_t kLongestWaitMs = 24ULL * 60 * 60 * 1000;

struct KeyName {
    const char* name;
    ui::Key key;
};

constexpr std::array<KeyName, 12> kKeyboardKeys{{
    {"Enter", ui::Key::Enter},
    {"Esc", ui::Key::Escape},
    {"Escape", ui::Key::Escape},
    {"Tab", ui::Key::Tab},
    {"Backspace", ui::Key::Backspace},
    {"Delete", ui::Key::Delete},
    {"Left", ui::Key::Left},
    {"Right", ui::Key::Right},
    {"Up", ui::Key::Up},
    {"Down", ui::Key::Down},
    {"Home", ui::Key::Home},
    {"End", ui::Key::End},
}};

struct HardwareKeyName {
    const char* name;
    const char* unitKey;
};

constexpr std::array<HardwareKeyName, 2> kHardwareKeys{{
    {"POWER", "gpio.power_key"},
    {"GUIDE", "gpio.guide_key"},
}};

bool SameLetters(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Reads one command's words; the first error is kept and ends the parse.
class LineParser {
  public:
    LineParser(std::string_view line, std::vector<Word> words, Command* out)
        : line_(line), words_(std::move(words)), out_(out) {}

    std::string Parse() {
        const std::string verb = words_[0].quoted ? std::string() : words_[0].text;
        if (verb == "tap" || verb == "down" || verb == "move" || verb == "up") {
            out_->op = verb == "tap"    ? Op::Tap
                       : verb == "down" ? Op::Down
                       : verb == "move" ? Op::Move
                                        : Op::Up;
            Count(2, verb + " X Y");
            out_->x = Number(1, 0, ui::kScreenWidth - 1, "X");
            out_->y = Number(2, 0, ui::kScreenHeight - 1, "Y");
        } else if (verb == "click") {
            out_->op = Op::Click;
            Count(1, "click ID");
            out_->id = Id(1);
        } else if (verb == "tab") {
            out_->op = Op::Tab;
            Count(1, "tab N");
            out_->number = Number(1, 0, 99, "N");
        } else if (verb == "type") {
            ParseType();
        } else if (verb == "key") {
            ParseKey();
        } else if (verb == "close") {
            out_->op = Op::Close;
            Count(0, "close");
        } else if (verb == "answer") {
            out_->op = Op::Answer;
            Count(1, "answer OK|CANCEL");
            if (error_.empty()) {
                if (SameLetters(words_[1].text, "OK")) {
                    out_->number = platform::IDOK;
                } else if (SameLetters(words_[1].text, "CANCEL")) {
                    out_->number = platform::IDCANCEL;
                } else {
                    Fail("answer takes OK or CANCEL, not " + words_[1].text);
                }
            }
        } else if (verb == "wait") {
            out_->op = Op::Wait;
            Count(1, "wait MS");
            out_->ms = static_cast<std::uint64_t>(
                Number(1, 0, static_cast<std::int64_t>(kLongestWaitMs), "MS"));
        } else if (verb == "expect") {
            ParseExpect();
        } else if (verb == "screenshot") {
            out_->op = Op::Screenshot;
            Count(1, "screenshot FILE");
            if (error_.empty()) {
                out_->text = words_[1].text;
                if (out_->text.empty()) {
                    Fail("screenshot needs a file name");
                }
            }
        } else if (verb == "unit") {
            out_->op = Op::Unit;
            Count(2, "unit KEY VALUE");
            if (error_.empty()) {
                out_->text = words_[1].text;
                out_->value = words_[2].text;
            }
        } else if (verb == "quit") {
            out_->op = Op::Quit;
            Count(0, "quit");
        } else {
            Fail("unknown command " + detail::Quote(words_[0].text));
        }
        return error_;
    }

  private:
    void Fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
    }

    void Count(std::size_t arguments, const std::string& usage) {
        if (words_.size() != arguments + 1) {
            Fail("expected: " + usage);
        }
    }

    int Number(std::size_t index, std::int64_t min, std::int64_t max, const char* what) {
        if (!error_.empty() || index >= words_.size()) {
            return 0;
        }
        const std::string& text = words_[index].text;
        std::int64_t value = 0;
        const char* end = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(text.data(), end, value);
        if (text.empty() || words_[index].quoted || ec != std::errc() || ptr != end) {
            Fail(std::string(what) + " must be a whole number, not " + detail::Quote(text));
            return 0;
        }
        if (value < min || value > max) {
            Fail(std::string(what) + " must be " + std::to_string(min) + " to " +
                 std::to_string(max) + ", not " + text);
            return 0;
        }
        return static_cast<int>(value);
    }

    int Id(std::size_t index) { return Number(index, 1, 0xFFFF, "ID"); }

    void ParseType() {
        out_->op = Op::Type;
        if (words_.size() < 3) {
            Fail("expected: type ID TEXT");
            return;
        }
        out_->id = Id(1);
        if (words_[2].quoted) {
            Count(2, "type ID \"TEXT\" (one quoted text)");
            out_->text = words_[2].text;
        } else {
            out_->text = std::string(platform::Trim(line_.substr(words_[2].offset)));
        }
    }

    void ParseKey() {
        out_->op = Op::Key;
        if (words_.size() < 2 || words_.size() > 3) {
            Fail("expected: key NAME, or key POWER|GUIDE down|up");
            return;
        }
        const std::string& name = words_[1].text;
        KeyStroke& key = out_->key;
        for (const KeyName& k : kKeyboardKeys) {
            if (SameLetters(name, k.name)) {
                key.key = k.key;
            }
        }
        for (const HardwareKeyName& k : kHardwareKeys) {
            if (SameLetters(name, k.name)) {
                key.unitKey = k.unitKey;
            }
        }
        if (key.key == ui::Key::None && key.unitKey.empty()) {
            Fail("unknown key " + detail::Quote(name) +
                 " (Enter, Esc, Tab, Backspace, Delete, Left, Right, Up, Down, Home, End, "
                 "POWER, GUIDE)");
            return;
        }
        if (words_.size() == 2) {
            if (!key.unitKey.empty()) {
                Fail("a hardware key is held and let go: key " + name + " down|up");
            }
            return;
        }
        if (SameLetters(words_[2].text, "down")) {
            key.action = KeyStroke::Action::Down;
        } else if (SameLetters(words_[2].text, "up")) {
            key.action = KeyStroke::Action::Up;
        } else {
            Fail("expected down or up after the key, not " + detail::Quote(words_[2].text));
        }
    }

    void ParseExpect() {
        // "... within MS" at the end: retried until it holds.
        if (words_.size() >= 4 && !words_[words_.size() - 2].quoted &&
            words_[words_.size() - 2].text == "within") {
            out_->withinMs = static_cast<std::uint64_t>(
                Number(words_.size() - 1, 0, static_cast<std::int64_t>(kLongestWaitMs), "MS"));
            words_.resize(words_.size() - 2);
        }
        if (words_.size() < 2) {
            Fail(
                "expected: expect text|match|caption|check|enabled|visible|msgbox|nomsgbox|"
                "debug|screen|pixel|fit");
            return;
        }
        const std::string& what = words_[1].text;
        auto idAndText = [&](Op op, const char* usage) {
            out_->op = op;
            Count(3, usage);
            out_->id = Id(2);
            if (error_.empty()) {
                out_->text = words_[3].text;
            }
        };
        auto idAndFlag = [&](Op op, const char* usage) {
            out_->op = op;
            Count(3, usage);
            out_->id = Id(2);
            out_->number = Number(3, 0, 1, "the state");
        };
        auto text = [&](Op op, const char* usage) {
            out_->op = op;
            Count(2, usage);
            if (error_.empty()) {
                out_->text = words_[2].text;
            }
        };
        if (what == "text") {
            idAndText(Op::ExpectText, "expect text ID \"TEXT\"");
        } else if (what == "match") {
            idAndText(Op::ExpectMatch, "expect match ID \"REGEX\"");
            if (error_.empty()) {
                auto compiled = Pattern::Compile(out_->text);
                if (auto* why = std::get_if<std::string>(&compiled)) {
                    Fail(std::move(*why));
                } else {
                    out_->pattern = std::get<std::shared_ptr<const Pattern>>(std::move(compiled));
                }
            }
        } else if (what == "caption") {
            text(Op::ExpectCaption, "expect caption \"TEXT\"");
        } else if (what == "check") {
            idAndFlag(Op::ExpectCheck, "expect check ID 0|1");
        } else if (what == "enabled") {
            idAndFlag(Op::ExpectEnabled, "expect enabled ID 0|1");
        } else if (what == "visible") {
            idAndFlag(Op::ExpectVisible, "expect visible ID 0|1");
        } else if (what == "msgbox") {
            text(Op::ExpectMsgBox, "expect msgbox \"TEXT\"");
        } else if (what == "nomsgbox") {
            out_->op = Op::ExpectNoMsgBox;
            Count(1, "expect nomsgbox");
        } else if (what == "fit") {
            out_->op = Op::ExpectFit;
            Count(1, "expect fit");
        } else if (what == "debug") {
            text(Op::ExpectDebug, "expect debug \"TEXT\"");
        } else if (what == "screen") {
            ParseScreen();
        } else if (what == "pixel") {
            out_->op = Op::ExpectPixel;
            Count(4, "expect pixel X Y RRGGBB");
            out_->x = Number(2, 0, ui::kScreenWidth - 1, "X");
            out_->y = Number(3, 0, ui::kScreenHeight - 1, "Y");
            if (error_.empty()) {
                out_->color = Color(words_[4]);
            }
        } else {
            Fail("unknown expectation " + detail::Quote(what));
        }
    }

    void ParseScreen() {
        constexpr const char* kUsage = "expect screen FILE.png [X Y W H]";
        out_->op = Op::ExpectScreen;
        if (words_.size() != 3 && words_.size() != 7) {
            Fail(std::string("expected: ") + kUsage);
            return;
        }
        out_->text = words_[2].text;
        if (out_->text.empty()) {
            Fail("expect screen needs a file name");
            return;
        }
        if (words_.size() == 3) {
            out_->area = {0, 0, ui::kScreenWidth, ui::kScreenHeight};
            return;
        }
        const int x = Number(3, 0, ui::kScreenWidth - 1, "X");
        const int y = Number(4, 0, ui::kScreenHeight - 1, "Y");
        const int w = Number(5, 1, ui::kScreenWidth - x, "W");
        const int h = Number(6, 1, ui::kScreenHeight - y, "H");
        out_->area = {x, y, x + w, y + h};
    }

    std::uint32_t Color(const Word& word) {
        const std::string& t = word.text;
        std::uint32_t value = 0;
        const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value, 16);
        if (word.quoted || t.size() != 6 || ec != std::errc() || ptr != t.data() + t.size()) {
            Fail("the colour must be six hex digits RRGGBB, not " + detail::Quote(t));
            return 0;
        }
        return value;
    }

    std::string_view line_;
    std::vector<Word> words_;
    Command* out_;
    std::string error_;
};

}  // namespace

std::string ScriptString(std::string_view text) {
    // A window's text ends at a zero byte; a script string cannot hold one.
    return detail::Quote(text.substr(0, text.find('\0')));
}

bool IsExpectation(Op op) {
    switch (op) {
        case Op::ExpectText:
        case Op::ExpectMatch:
        case Op::ExpectCaption:
        case Op::ExpectCheck:
        case Op::ExpectEnabled:
        case Op::ExpectVisible:
        case Op::ExpectMsgBox:
        case Op::ExpectNoMsgBox:
        case Op::ExpectDebug:
        case Op::ExpectScreen:
        case Op::ExpectPixel:
        case Op::ExpectFit:
            return true;
        default:
            return false;
    }
}

std::string Describe(const std::string& name, const ParseFailure& failure) {
    if (failure.line <= 0) {
        return name + ": " + failure.message;
    }
    return name + ":" + std::to_string(failure.line) + ": " + failure.message;
}

ParseResult ParseScript(std::string_view text, std::string name) {
    Script script;
    script.name = std::move(name);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::string_view line = platform::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.find('\0') != std::string_view::npos) {
            return ParseFailure{lineNumber, "the line holds a NUL byte"};
        }
        std::vector<Word> words;
        std::string error;
        if (!detail::SplitWords(line, &words, &error)) {
            return ParseFailure{lineNumber, error};
        }
        Command command;
        command.line = lineNumber;
        command.source = std::string(line);
        error = LineParser(line, std::move(words), &command).Parse();
        if (!error.empty()) {
            return ParseFailure{lineNumber, error};
        }
        script.commands.push_back(std::move(command));
    }
    return script;
}

ParseResult LoadScriptFile(const std::filesystem::path& file) {
    if (const std::string kind = detail::NotAFile(file); !kind.empty()) {
        return ParseFailure{0, "is " + kind + ", not a script"};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return ParseFailure{0, "cannot read the script"};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return ParseFailure{0, "cannot read the script"};
    }
    ParseResult result = ParseScript(text.str(), Utf8FromPath(file));
    if (auto* s = std::get_if<Script>(&result)) {
        if (s->commands.empty()) {
            // Most likely the wrong file, or one cut short: it proves nothing.
            return ParseFailure{0, "the script holds no command"};
        }
        s->folder = file.parent_path();
    }
    return result;
}

}  // namespace script
