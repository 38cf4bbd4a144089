// The script text: every command's words, strings with escapes, and the
// line and reason of whatever cannot run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/services.h"
#include "script/pattern.h"
#include "script/script.h"
#include "unit/temp_dir.h"

namespace script {
namespace {

Script Parsed(std::string_view text) {
    ParseResult r = ParseScript(text, "t.script");
    if (auto* f = std::get_if<ParseFailure>(&r)) {
        ADD_FAILURE() << Describe("t.script", *f);
        return {};
    }
    return std::get<Script>(std::move(r));
}

Command One(std::string_view line) {
    Script s = Parsed(line);
    EXPECT_EQ(s.commands.size(), 1U) << line;
    return s.commands.empty() ? Command{} : s.commands.front();
}

TEST(ParseScriptTest, CommandsAndTheirArguments) {
    Command c = One("  move 319 239  ");
    EXPECT_EQ(c.op, Op::Move);
    EXPECT_EQ(c.x, 319);
    EXPECT_EQ(c.y, 239);
    EXPECT_EQ(c.source, "move 319 239");
    c = One("wait 86400000");
    EXPECT_EQ(c.ms, 86400000U);
    EXPECT_EQ(One("answer ok").number, platform::IDOK);
    EXPECT_EQ(One("answer CANCEL").number, platform::IDCANCEL);
    c = One("unit gpio.variant \"tamsel\"");
    EXPECT_EQ(c.text, "gpio.variant");
    EXPECT_EQ(c.value, "tamsel");
    EXPECT_EQ(One("screenshot \"shots/Ver page.png\"").text, "shots/Ver page.png");
    c = One(R"(expect match 1051 "3[0-9]{3}")");
    ASSERT_NE(c.pattern, nullptr);
    EXPECT_TRUE(c.pattern->Match("3912").matched);
    EXPECT_FALSE(c.pattern->Match("39120").matched);  // the whole text
    // Counts up to 1000, a brace in a class, classes, flags, UTF-8.
    c = One(R"x(expect match 1 "(?:x)(a)[b]{2,1000}[{99999]\\s\\d[[:alpha:]](?i:é)")x");
    ASSERT_NE(c.pattern, nullptr);
    EXPECT_TRUE(c.pattern->Match("xabb{\r7qÉ").matched);

    // Expectations retried for a time; the screen, a part of it, one pixel.
    c = One("expect text 1051 \"within\" within 2500");
    EXPECT_EQ(c.text, "within");
    EXPECT_EQ(c.withinMs, 2500U);
    EXPECT_FALSE(One("expect nomsgbox").withinMs.has_value());
    EXPECT_EQ(One("expect nomsgbox within 0").withinMs, 0U);
    c = One("expect screen \"shots/ver.png\"");
    EXPECT_EQ(c.op, Op::ExpectScreen);
    EXPECT_EQ(c.text, "shots/ver.png");
    EXPECT_EQ(c.area, (ui::Rect{0, 0, 320, 240}));
    EXPECT_EQ(One("expect screen p.png 300 10 20 30 within 100").area,
              (ui::Rect{300, 10, 320, 40}));
    c = One("expect pixel 319 239 00fF80");
    EXPECT_EQ(c.op, Op::ExpectPixel);
    EXPECT_EQ(c.color, 0x00FF80U);
}

TEST(ParseScriptTest, StringsTakeCEscapes) {
    EXPECT_EQ(One(R"(expect msgbox "a\r\nb\tc \\ \"q\"")").text, "a\r\nb\tc \\ \"q\"");
    // What the runner shows (and a recording writes) reads back the same.
    const std::string odd = "\x01\"\\\x7F\xC3\xA9\r\n";
    EXPECT_EQ(One("expect msgbox " + ScriptString(odd)).text, odd);
    EXPECT_EQ(One(R"(expect msgbox "")").text, "");
    // A bare word may hold a quote; only a leading quote opens a string.
    EXPECT_EQ(One(R"(expect msgbox a"b)").text, "a\"b");
    // \xHH: every byte but zero, its digits in either case.
    for (int byte = 1; byte < 256; ++byte) {
        for (const char* digits : {"0123456789ABCDEF", "0123456789abcdef"}) {
            const std::string escape = {'\\', 'x', digits[byte / 16], digits[byte % 16]};
            EXPECT_EQ(One("expect msgbox \"" + escape + "\"").text,
                      std::string(1, static_cast<char>(byte)))
                << escape;
        }
    }
}

TEST(ParseScriptTest, TypeTakesAQuotedTextOrTheRestOfTheLine) {
    Command c = One("type 1032   twelve and a half  ");
    EXPECT_EQ(c.op, Op::Type);
    EXPECT_EQ(c.id, 1032);
    EXPECT_EQ(c.text, "twelve and a half");
    EXPECT_EQ(One(R"(type 1032 "  7\t")").text, "  7\t");
}

TEST(ParseScriptTest, Keys) {
    struct Case {
        const char* line;
        ui::Key key;
        const char* unitKey;
        KeyStroke::Action action;
    };
    const Case cases[] = {
        {"key Enter", ui::Key::Enter, "", KeyStroke::Action::Press},
        {"key esc", ui::Key::Escape, "", KeyStroke::Action::Press},
        {"key Escape", ui::Key::Escape, "", KeyStroke::Action::Press},
        {"key Backspace", ui::Key::Backspace, "", KeyStroke::Action::Press},
        {"key Down", ui::Key::Down, "", KeyStroke::Action::Press},
        {"key Left down", ui::Key::Left, "", KeyStroke::Action::Down},
        {"key POWER down", ui::Key::None, "gpio.power_key", KeyStroke::Action::Down},
        {"key power up", ui::Key::None, "gpio.power_key", KeyStroke::Action::Up},
        {"key GUIDE down", ui::Key::None, "gpio.guide_key", KeyStroke::Action::Down},
    };
    for (const Case& k : cases) {
        const Command c = One(k.line);
        EXPECT_EQ(c.op, Op::Key) << k.line;
        EXPECT_EQ(c.key.key, k.key) << k.line;
        EXPECT_EQ(c.key.unitKey, k.unitKey) << k.line;
        EXPECT_EQ(c.key.action, k.action) << k.line;
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
        const auto* failure = std::get_if<ParseFailure>(&r);
        ASSERT_NE(failure, nullptr) << k.text;
        EXPECT_EQ(failure->line, k.line) << k.text;
        EXPECT_NE(failure->message.find(k.reason), std::string::npos)
            << k.text << " -> " << failure->message;
    }
}

TEST(ParseScriptTest, ANulByteIsMalformed) {
    using namespace std::string_literals;
    const ParseResult r = ParseScript("tap 1 1\nexpect msgbox \"a\0b\"\n"s, "t.script");
    const auto* failure = std::get_if<ParseFailure>(&r);
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->line, 2);
}

TEST(ParseScriptTest, FilesAreReadWithTheirFolder) {
    auto dir = unit::TempDir::Create("script-test-");
    ASSERT_TRUE(dir.has_value());
    const auto file = dir->path() / "a.script";
    std::ofstream(file) << "tap 1 1\nexpect nomsgbox\n";
    ParseResult r = LoadScriptFile(file);
    ASSERT_TRUE(std::holds_alternative<Script>(r));
    const Script& s = std::get<Script>(r);
    EXPECT_EQ(s.commands.size(), 2U);
    EXPECT_EQ(s.folder, dir->path());
    EXPECT_EQ(s.name, file.string());

    std::ofstream(file) << "tap 1 1\nbogus\n";
    r = LoadScriptFile(file);
    ASSERT_TRUE(std::holds_alternative<ParseFailure>(r));
    EXPECT_EQ(Describe(file.string(), std::get<ParseFailure>(r)),
              file.string() + ":2: unknown command \"bogus\"");

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
        ASSERT_TRUE(std::holds_alternative<ParseFailure>(r)) << path;
        EXPECT_EQ(std::get<ParseFailure>(r).line, 0);
        EXPECT_EQ(std::get<ParseFailure>(r).message, why);
    }
}

}  // namespace
}  // namespace script
