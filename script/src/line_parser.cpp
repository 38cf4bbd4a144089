#include "line_parser.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <utility>

#include "expect_parser.h"
#include "platform/services.h"
#include "platform/text.h"
#include "word_reader.h"

namespace script::detail {

namespace {

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
class LineParser : public WordReader {
  public:
    using WordReader::WordReader;

    platform::Result<Action> Parse() {
        Action action = Command();
        if (!Error().empty()) {
            return platform::Fail(Error());
        }
        return action;
    }

  private:
    using Verb = Action (LineParser::*)();
    struct VerbName {
        std::string_view name;
        Verb parse;
    };

    Action Command() {
        static constexpr std::array<VerbName, 15> kVerbs{{
            {"tap", &LineParser::Pen<Tap>},
            {"down", &LineParser::Pen<PenDown>},
            {"move", &LineParser::Pen<PenMove>},
            {"up", &LineParser::Pen<PenUp>},
            {"click", &LineParser::ParseClick},
            {"tab", &LineParser::ParseTab},
            {"type", &LineParser::ParseType},
            {"key", &LineParser::ParseKey},
            {"close", &LineParser::Bare<Close>},
            {"answer", &LineParser::ParseAnswer},
            {"wait", &LineParser::ParseWait},
            {"expect", &LineParser::ParseExpect},
            {"screenshot", &LineParser::ParseScreenshot},
            {"unit", &LineParser::ParseUnit},
            {"quit", &LineParser::Bare<Quit>},
        }};
        const std::string verb = words_[0].quoted ? std::string() : words_[0].text;
        for (const VerbName& v : kVerbs) {
            if (v.name == verb) {
                return (this->*v.parse)();
            }
        }
        Fail("unknown command " + Quote(words_[0].text));
        return Quit{};
    }

    // A command without arguments.
    template <typename T>
    Action Bare() {
        Count(0, words_[0].text);
        return T{};
    }

    Action ParseClick() {
        Count(1, "click ID");
        return Click{Id(1)};
    }

    Action ParseTab() {
        Count(1, "tab N");
        return Tab{Number(1, 0, 99, "N")};
    }

    Action ParseWait() {
        Count(1, "wait MS");
        return Wait{Millis(1)};
    }

    Action ParseScreenshot() {
        Count(1, "screenshot FILE");
        std::string file = Text(1);
        if (Error().empty() && file.empty()) {
            Fail("screenshot needs a file name");
        }
        return Screenshot{std::move(file)};
    }

    Action ParseUnit() {
        Count(2, "unit KEY VALUE");
        return SetUnit{Text(1), Text(2)};
    }

    template <typename T>
    Action Pen() {
        Count(2, words_[0].text + " X Y");
        const int x = Number(1, 0, ui::kScreenWidth - 1, "X");
        return T{x, Number(2, 0, ui::kScreenHeight - 1, "Y")};
    }

    Action ParseAnswer() {
        Count(1, "answer OK|CANCEL");
        if (!Error().empty()) {
            return Answer{};
        }
        if (SameLetters(words_[1].text, "OK")) {
            return Answer{platform::IDOK};
        }
        if (SameLetters(words_[1].text, "CANCEL")) {
            return Answer{platform::IDCANCEL};
        }
        Fail("answer takes OK or CANCEL, not " + words_[1].text);
        return Answer{};
    }

    Action ParseType() {
        if (words_.size() < 3) {
            Fail("expected: type ID TEXT");
            return Type{};
        }
        Type type{Id(1), {}};
        if (words_[2].quoted) {
            Count(2, "type ID \"TEXT\" (one quoted text)");
            type.text = words_[2].text;
        } else {
            type.text = std::string(platform::Trim(line_.substr(words_[2].offset)));
        }
        return type;
    }

    Action ParseKey() {
        KeyStroke key;
        if (words_.size() < 2 || words_.size() > 3) {
            Fail("expected: key NAME, or key POWER|GUIDE down|up");
            return key;
        }
        const std::string& name = words_[1].text;
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
            Fail("unknown key " + Quote(name) +
                 " (Enter, Esc, Tab, Backspace, Delete, Left, Right, Up, Down, Home, End, "
                 "POWER, GUIDE)");
        } else if (words_.size() == 2) {
            if (!key.unitKey.empty()) {
                Fail("a hardware key is held and let go: key " + name + " down|up");
            }
        } else if (SameLetters(words_[2].text, "down")) {
            key.action = KeyStroke::Action::Down;
        } else if (SameLetters(words_[2].text, "up")) {
            key.action = KeyStroke::Action::Up;
        } else {
            Fail("expected down or up after the key, not " + Quote(words_[2].text));
        }
        return key;
    }

    Action ParseExpect() {
        ExpectParser expect(line_, std::move(words_));
        Expectation e = expect.Parse();
        if (!expect.Error().empty()) {
            Fail(expect.Error());
        }
        return e;
    }
};

}  // namespace

platform::Result<Action> ParseLine(std::string_view line, std::vector<Word> words) {
    return LineParser(line, std::move(words)).Parse();
}

}  // namespace script::detail
