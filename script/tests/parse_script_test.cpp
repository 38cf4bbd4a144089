// The script text: every command's words, strings with escapes, and the
// line and reason of whatever cannot run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "host/unit/temp_dir.h"
#include "platform/services.h"
#include "platform/text.h"
#include "script/pattern.h"
#include "script/script.h"

namespace script {
namespace {

Script Parsed(std::string_view text) {
    ParseResult r = ParseScript(text, "t.script");
    if (!r) {
        ADD_FAILURE() << Describe("t.script", r.error());
        return {};
    }
    return std::move(*r);
}

Command One(std::string_view line) {
    Script s = Parsed(line);
    EXPECT_EQ(s.commands.size(), 1U) << line;
    return s.commands.empty() ? Command{} : s.commands.front();
}

ExpectScreen Screen(std::string file, ui::Rect area) {
    ExpectScreen screen;
    screen.file = std::move(file);
    screen.area = area;
    return screen;
}

Expectation Expect(Check check, std::optional<std::uint64_t> withinMs = std::nullopt) {
    return Expectation{std::move(check), withinMs};
}

TEST(ParseScriptTest, CommandsAndTheirArguments) {
    using A = KeyStroke::Action;
    const std::pair<std::string, Action> cases[] = {
        {"  move 319 239  ", PenMove{319, 239}},
        {"tap 0 0", Tap{0, 0}},
        {"down 1 2", PenDown{1, 2}},
        {"up 3 4", PenUp{3, 4}},
        {"click 65535", Click{65535}},
        {"tab 99", Tab{99}},
        {"wait 86400000", Wait{86400000}},
        {"answer ok", Answer{platform::IDOK}},
        {"answer CANCEL", Answer{platform::IDCANCEL}},
        {"unit gpio.variant \"tamsel\"", SetUnit{"gpio.variant", "tamsel"}},
        {"screenshot \"shots/Ver page.png\"", Screenshot{"shots/Ver page.png"}},
        {"close", Close{}},
        {"quit", Quit{}},
        // Keys: the framework's pressed or held, the unit's held and let go.
        {"key Enter", KeyStroke{ui::Key::Enter, "", A::Press}},
        {"key esc", KeyStroke{ui::Key::Escape, "", A::Press}},
        {"key Escape", KeyStroke{ui::Key::Escape, "", A::Press}},
        {"key Backspace", KeyStroke{ui::Key::Backspace, "", A::Press}},
        {"key Down", KeyStroke{ui::Key::Down, "", A::Press}},
        {"key Left down", KeyStroke{ui::Key::Left, "", A::Down}},
        {"key POWER down", KeyStroke{ui::Key::None, "gpio.power_key", A::Down}},
        {"key power up", KeyStroke{ui::Key::None, "gpio.power_key", A::Up}},
        {"key GUIDE down", KeyStroke{ui::Key::None, "gpio.guide_key", A::Down}},
        // Type: a quoted text, or the rest of the line.
        {"type 1032   twelve and a half  ", Type{1032, "twelve and a half"}},
        {R"(type 1032 "  7\t")", Type{1032, "  7\t"}},
        // Expectations, retried for a time; the screen, a part of it, one pixel.
        {"expect text 1051 \"within\" within 2500", Expect(ExpectText{1051, "within"}, 2500)},
        {"expect nomsgbox", Expect(ExpectNoMsgBox{})},
        {"expect nomsgbox within 0", Expect(ExpectNoMsgBox{}, 0)},
        {"expect caption \"Ver\"", Expect(ExpectCaption{"Ver"})},
        {"expect check 1010 1", Expect(ExpectCheck{1010, 1})},
        {"expect enabled 1010 0", Expect(ExpectEnabled{1010, false})},
        {"expect visible 1010 1", Expect(ExpectVisible{1010, true})},
        {"expect debug \"GPS on\"", Expect(ExpectDebug{"GPS on"})},
        {"expect fit", Expect(ExpectFit{})},
        {"expect screen \"shots/ver.png\"", Expect(Screen("shots/ver.png", {0, 0, 320, 240}))},
        {"expect screen p.png 300 10 20 30 within 100",
         Expect(Screen("p.png", {300, 10, 320, 40}), 100)},
        {"expect pixel 319 239 00fF80", Expect(ExpectPixel{319, 239, 0x00FF80U})},
    };
    for (const auto& [line, action] : cases) {
        const Command c = One(line);
        EXPECT_EQ(c.action, action) << line;
        EXPECT_EQ(c.source, platform::Trim(line)) << line;
        EXPECT_EQ(ExpectationOf(c) != nullptr, std::holds_alternative<Expectation>(action)) << line;
    }
}

TEST(ParseScriptTest, PatternsAreCompiledToMatchTheWholeText) {
    // The pattern shared with the command, which goes when the lambda returns.
    const auto compiled = [](std::string_view line) -> std::shared_ptr<const Pattern> {
        const Command c = One(line);
        const Expectation* e = ExpectationOf(c);
        const auto* match = e != nullptr ? std::get_if<ExpectMatch>(&e->check) : nullptr;
        return match != nullptr ? match->pattern : nullptr;
    };
    // The command holds the pattern (shared), so it outlives the parse.
    Command c = One(R"(expect match 1051 "3[0-9]{3}")");
    const auto& match = std::get<ExpectMatch>(std::get<Expectation>(c.action).check);
    EXPECT_EQ(match.id, 1051);
    EXPECT_EQ(match.text, "3[0-9]{3}");
    ASSERT_NE(match.pattern, nullptr);
    EXPECT_TRUE(match.pattern->Match("3912").matched);
    EXPECT_FALSE(match.pattern->Match("39120").matched);  // the whole text
    // Counts up to 1000, a brace in a class, classes, flags, UTF-8.
    const std::shared_ptr<const Pattern> p =
        compiled(R"x(expect match 1 "(?:x)(a)[b]{2,1000}[{99999]\\s\\d[[:alpha:]](?i:é)")x");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->Match("xabb{\r7qÉ").matched);
}

std::string MsgBoxText(const std::string& line) {
    const Command c = One(line);
    const Expectation* e = ExpectationOf(c);
    const auto* box = e != nullptr ? std::get_if<ExpectMsgBox>(&e->check) : nullptr;
    return box != nullptr ? box->text : "(not a message box)";
}

TEST(ParseScriptTest, StringsTakeCEscapes) {
    EXPECT_EQ(MsgBoxText(R"(expect msgbox "a\r\nb\tc \\ \"q\"")"), "a\r\nb\tc \\ \"q\"");
    // What the runner shows (and a recording writes) reads back the same.
    const std::string odd = "\x01\"\\\x7F\xC3\xA9\r\n";
    EXPECT_EQ(MsgBoxText("expect msgbox " + ScriptString(odd)), odd);
    EXPECT_EQ(MsgBoxText(R"(expect msgbox "")"), "");
    // A bare word may hold a quote; only a leading quote opens a string.
    EXPECT_EQ(MsgBoxText(R"(expect msgbox a"b)"), "a\"b");
    // \xHH: every byte but zero, its digits in either case.
    for (int byte = 1; byte < 256; ++byte) {
        for (const char* digits : {"0123456789ABCDEF", "0123456789abcdef"}) {
            const std::string escape = {'\\', 'x', digits[byte / 16], digits[byte % 16]};
            EXPECT_EQ(MsgBoxText("expect msgbox \"" + escape + "\""),
                      std::string(1, static_cast<char>(byte)))
                << escape;
        }
    }
}

TEST(ParseScriptTest, CommentsBlankLinesAndLineNumbers) {
    const Script s = Parsed("# a tour\r\n\n   \t\ntap 1 1\r\n  # indented comment\nquit");
    ASSERT_EQ(s.commands.size(), 2U);
    EXPECT_EQ(s.commands[0].line, 4);
    EXPECT_EQ(s.commands[0].source, "tap 1 1");
    EXPECT_EQ(s.commands[1].line, 6);
    EXPECT_TRUE(Parsed("").commands.empty());
}

TEST(ParseScriptTest, MalformedLinesNameTheLineAndTheReason) {
    struct Case {
        const char* text;
        int line;
        const char* reason;
    };
    const std::string longPattern = "expect match 1 \"" + std::string(1001, 'a') + "\"";
    const std::string largePattern = R"(expect match 1 "[\\s\\S]{1000}[\\s\\S]{1000}.{1000}")";
    const Case cases[] = {
        {"tapp 1 2", 1, "unknown command \"tapp\""},
        {"\"tap\" 1 2", 1, "unknown command \"tap\""},
        {"tap 1", 1, "expected: tap X Y"},
        {"tap 1 2 3", 1, "expected: tap X Y"},
        {"tap 320 0", 1, "X must be 0 to 319, not 320"},
        {"tap 0 240", 1, "Y must be 0 to 239, not 240"},
        {"tap -1 0", 1, "X must be 0 to 319"},
        {"tap x 0", 1, "X must be a whole number, not \"x\""},
        {"tap 1.5 0", 1, "X must be a whole number"},
        {"tap \"1\" 0", 1, "X must be a whole number"},
        {"click", 1, "expected: click ID"},
        {"click 0", 1, "ID must be 1 to 65535"},
        {"click 99999999999999999999", 1, "ID must be a whole number"},
        {"tab 100", 1, "N must be 0 to 99"},
        {"type 1001", 1, "expected: type ID TEXT"},
        {"type 1001 \"a\" b", 1, "one quoted text"},
        {"key", 1, "expected: key NAME"},
        {"key F9", 1, "unknown key \"F9\""},
        {"key POWER", 1, "key POWER down|up"},
        {"key POWER press", 1, "expected down or up"},
        {"key Enter down up", 1, "expected: key NAME"},
        {"close now", 1, "expected: close"},
        {"answer YES", 1, "answer takes OK or CANCEL, not YES"},
        {"wait", 1, "expected: wait MS"},
        {"wait 86400001", 1, "MS must be 0 to 86400000"},
        {"expect", 1, "expected: expect text|match"},
        {"expect colour 1 2", 1, "unknown expectation \"colour\""},
        {"expect text 1051", 1, "expected: expect text ID \"TEXT\""},
        {"expect text 1051 \"a\" \"b\"", 1, "expected: expect text ID"},
        {"expect match 1 \"([a-z\"", 1, "is not valid: missing ]: [a-z"},
        // What the library does not have: back-references and look-around.
        {R"x(expect match 1 "(a)\\1")x", 1, "is not valid: invalid escape sequence: \\1"},
        {R"(expect match 1 "(?=a)a")", 1, "is not valid: invalid perl operator: (?="},
        {"expect match 1 \"a{1001}\"", 1, "is not valid: invalid repetition size: {1001}"},
        {"expect match 1 \"(a{100}){11}\"", 1, "invalid repetition size"},
        {"expect match 1 \"\\xFF\"", 1, "is not valid: invalid UTF-8"},
        {largePattern.c_str(), 1, "is too large: it compiles to 22004 instructions, at most 20000"},
        {longPattern.c_str(), 1, "the pattern is longer than 1000 characters"},
        {"expect check 1010 2", 1, "the state must be 0 to 1, not 2"},
        {"expect visible 1010", 1, "expected: expect visible ID 0|1"},
        {"expect nomsgbox \"x\"", 1, "expected: expect nomsgbox"},
        {"expect fit 1010", 1, "expected: expect fit"},
        {"expect caption", 1, "expected: expect caption"},
        {"screenshot", 1, "expected: screenshot FILE"},
        {"screenshot \"\"", 1, "screenshot needs a file name"},
        {"unit gpio.power_key", 1, "expected: unit KEY VALUE"},
        {"quit 1", 1, "expected: quit"},
        {"expect msgbox \"abc", 1, "no closing quote"},
        {"expect msgbox \"a\\qb\"", 1, "unknown escape \\q"},
        {"expect msgbox \"ab\"c", 1, "a blank must follow the closing quote"},
        {"expect msgbox \"ab\\", 1, "no closing quote"},
        {"tap 1 1\n# fine\n\nwait x", 4, "MS must be a whole number"},
        {"expect text 1 \"a\" within", 1, "expected: expect text ID"},
        {"expect text 1 \"a\" within x", 1, "MS must be a whole number"},
        {"expect text 1 \"a\" within -5", 1, "MS must be 0 to 86400000"},
        {"tap 1 1 within 5", 1, "expected: tap X Y"},
        {"expect screen", 1, "expected: expect screen FILE.png [X Y W H]"},
        {"expect screen a.png 1 2 3", 1, "expected: expect screen FILE.png [X Y W H]"},
        {"expect screen a.png 300 0 21 1", 1, "W must be 1 to 20, not 21"},
        {"expect screen a.png 0 0 1 0", 1, "H must be 1 to 240, not 0"},
        {"expect pixel 1 1 12345", 1, "six hex digits RRGGBB, not \"12345\""},
        {"expect pixel 1 1 GG0000", 1, "six hex digits"},
        {"expect pixel 1 1 \"FF0000\"", 1, "six hex digits"},
        {"expect msgbox \"\\x0\"", 1, "\\x takes two hex digits"},
        {"expect msgbox \"\\x00\"", 1, "cannot hold \\x00"},
    };
    for (const Case& k : cases) {
        const ParseResult r = ParseScript(k.text, "t.script");
        const auto* failure = (r ? nullptr : &r.error());
        ASSERT_NE(failure, nullptr) << k.text;
        EXPECT_EQ(failure->line, k.line) << k.text;
        EXPECT_NE(failure->message.find(k.reason), std::string::npos)
            << k.text << " -> " << failure->message;
    }
}

TEST(ParseScriptTest, ANulByteIsMalformed) {
    using namespace std::string_literals;
    const ParseResult r = ParseScript("tap 1 1\nexpect msgbox \"a\0b\"\n"s, "t.script");
    const auto* failure = (r ? nullptr : &r.error());
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->line, 2);
}

TEST(ParseScriptTest, FilesAreReadWithTheirFolder) {
    auto dir = host::unit::TempDir::Create("script-test-");
    ASSERT_TRUE(dir.ok());
    const auto file = dir->path() / "a.script";
    std::ofstream(file) << "tap 1 1\nexpect nomsgbox\n";
    ParseResult r = LoadScriptFile(file);
    ASSERT_TRUE(r);
    const Script& s = *r;
    EXPECT_EQ(s.commands.size(), 2U);
    EXPECT_EQ(s.folder, dir->path());
    EXPECT_EQ(s.name, file.string());

    std::ofstream(file) << "tap 1 1\nbogus\n";
    r = LoadScriptFile(file);
    ASSERT_FALSE(r);
    EXPECT_EQ(Describe(file.string(), r.error()), file.string() + ":2: unknown command \"bogus\"");

    // A FIFO is refused unopened: reading it would wait for a writer.
    const auto fifo = dir->path() / "fifo.ks";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::filesystem::path, const char*> bad[] = {
        {dir->path() / "missing.script", "cannot read the script"},
        {dir->path(), "is a folder, not a script"},
        {fifo, "is a FIFO, not a script"},
        {"/dev/null", "is a device, not a script"},
    };
    for (const auto& [path, why] : bad) {
        r = LoadScriptFile(path);
        ASSERT_FALSE(r) << path;
        EXPECT_EQ(r.error().line, 0);
        EXPECT_EQ(r.error().message, why);
    }
}

}  // namespace
}  // namespace script
