// The simulated module on its own: what each command answers and when, how
// it finds its commands in a byte stream, seeking round the band, and the
// RDS stream of the tuned station.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/com7/capture_schedule.h"
#include "host/com7/group_capture.h"
#include "host/com7/tuner_module.h"
#include "rds/module_frame.h"
#include "rds/ps_name_assembler.h"

namespace host::com7 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Station MakeStation(int frequency, int level, std::uint16_t pi, const char* ps) {
    Station s;
    s.frequency = frequency;
    s.level = level;
    s.pi = pi;
    s.ps = *EncodePsName(ps);
    return s;
}

ModuleConfig ThreeStations() {
    ModuleConfig c;
    c.stations = {MakeStation(889, 42, 0xE211, "RNE 1"), MakeStation(939, 18, 0xE2C3, "KISS FM"),
                  MakeStation(1003, 55, 0xE203, "RADIO 3")};
    c.version = {1, 4, 2};
    c.noiseLevel = -1;
    c.strongLevel = 30;
    c.seekStepMs = 15;
    return c;
}

Bytes Command(std::uint8_t code, std::uint8_t p1, std::uint8_t p2) {
    return {0xFF, code, p1, p2, code};
}

Bytes Reply(std::uint8_t code, std::uint8_t d4, std::uint8_t d5, std::uint8_t d6) {
    return {0x3F, 0x00, 0x00, code, d4, d5, d6, 0x00, 0x00, 0x3F};
}

// A group as the module sends it.
ModuleFrame Frame(const RdsGroup& g) {
    const auto hi = [](std::uint16_t w) { return static_cast<std::uint8_t>(w >> 8); };
    const auto lo = [](std::uint16_t w) { return static_cast<std::uint8_t>(w & 0xFFU); };
    return {0x3F, hi(g.a), lo(g.a), hi(g.b), lo(g.b), hi(g.c), lo(g.c), hi(g.d), lo(g.d), 0x3F};
}

Bytes AsBytes(const ModuleFrame& f) {
    return {f.begin(), f.end()};
}

// Everything the module sends up to nowUs, replies only (groups dropped).
std::vector<TimedFrame> Replies(TunerModule& m, std::uint64_t nowUs) {
    std::vector<TimedFrame> out;
    while (auto f = m.TakeFrame(nowUs)) {
        if (f->bytes[1] == 0 && f->bytes[2] == 0) {
            out.push_back(*f);
        }
    }
    return out;
}

struct CommandCase {
    const char* name;
    std::vector<Bytes> before;  // commands sent first, their replies dropped
    Bytes command;
    std::optional<Bytes> reply;
};

TEST(TunerModule, AnswersEachCommandAsTheConsoleDecodesIt) {
    const std::vector<CommandCase> cases = {
        {"tune to a strong station", {}, Command(0x73, 128, 0xF0), Reply(0x73, 128, 0x01, 0x55)},
        {"tune to a weak station", {}, Command(0x73, 64, 0xF3), Reply(0x73, 64, 0x00, 0x55)},
        {"tune where nothing is", {}, Command(0x73, 25, 0xF0), Reply(0x73, 25, 0x00, 0x00)},
        {"tune above the band", {}, Command(0x73, 0xCE, 0xF0), Reply(0x73, 0xCE, 0x00, 0x00)},
        {"level of a station",
         {Command(0x73, 128, 0xF0)},
         Command(0x6C, 0, 0),
         Reply(0x6C, 0x00, 0x00, 55)},
        {"level away from stations, signed",
         {Command(0x73, 25, 0xF0)},
         Command(0x6C, 0, 0),
         Reply(0x6C, 0x00, 0x00, 0xFF)},
        {"version", {}, Command(0x56, 0, 0), Reply(0x56, 1, 4, 2)},
        {"version, the check's query", {}, Command(0x56, 0x78, 0x78), Reply(0x56, 1, 4, 2)},
        {"mute on", {}, Command(0x6D, 0, 0), std::nullopt},
        {"mute off", {}, Command(0x6D, 1, 0), std::nullopt},
        {"unknown code", {}, Command(0x41, 0, 0), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TunerModule m(ThreeStations());
        m.PowerUp(0);
        std::uint64_t at = 1000;
        for (const Bytes& b : c.before) {
            m.Receive(b, at);
            Replies(m, at + kAnswerUs);
            at += 10'000;
        }
        m.Receive(c.command, at);
        EXPECT_FALSE(m.TakeFrame(at + kAnswerUs - 1).has_value()) << "answered too early";
        const auto replies = Replies(m, at + kAnswerUs);
        if (!c.reply) {
            EXPECT_TRUE(replies.empty());
            continue;
        }
        ASSERT_EQ(replies.size(), 1U);
        EXPECT_EQ(AsBytes(replies[0].bytes), *c.reply);
        EXPECT_EQ(replies[0].readyUs, at + kAnswerUs);
    }
}

TEST(TunerModule, FindsCommandsInAnyByteStream) {
    struct StreamCase {
        const char* name;
        std::vector<Bytes> pieces;
        int versions;
    };
    const std::vector<StreamCase> cases = {
        {"garbage before", {{0x00, 0x3F, 0x56, 0xFE}, Command(0x56, 0, 0)}, 1},
        {"split across writes", {{0xFF, 0x56}, {0x00, 0x00}, {0x56}}, 1},
        {"two in one write", {{0xFF, 0x56, 0, 0, 0x56, 0xFF, 0x56, 0, 0, 0x56}}, 2},
        {"last byte differs", {{0xFF, 0x56, 0, 0, 0x57}}, 0},
        {"a start inside a broken one", {{0xFF, 0x56, 0xFF, 0x56, 0x00, 0x00, 0x56}}, 1},
        {"start bytes only", {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TunerModule m(ThreeStations());
        m.PowerUp(0);
        std::uint64_t at = 100;
        for (const Bytes& piece : c.pieces) {
            m.Receive(piece, at);
            at += 100;
        }
        EXPECT_EQ(static_cast<int>(Replies(m, 1'000'000).size()), c.versions);
    }
}

TEST(TunerModule, SeeksToTheNextStationRoundTheBand) {
    struct SeekCase {
        const char* name;
        int from;
        bool up;
        int found;
        int steps;
    };
    const std::vector<SeekCase> cases = {
        {"up from the bottom", 875, true, 889, 14},
        {"up to the next", 889, true, 939, 50},
        {"up past the top", 1003, true, 889, 77 + 1 + 14},
        {"down from the bottom wraps", 875, false, 1003, 1 + 77},
        {"down to the previous", 1003, false, 939, 64},
        {"down past the bottom", 889, false, 1003, 14 + 1 + 77},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleConfig config = ThreeStations();
        config.frequency = c.from;
        TunerModule m(config);
        m.PowerUp(0);
        const std::uint64_t at = 5000;
        m.Receive(Command(c.up ? 0x59 : 0x58, 0xFE, 1), at);
        EXPECT_TRUE(m.Seeking());
        const std::uint64_t ready = at + static_cast<std::uint64_t>(c.steps) * 15'000 + kAnswerUs;
        EXPECT_TRUE(Replies(m, ready - 1).empty()) << "the scan takes its time";
        const auto replies = Replies(m, ready);
        ASSERT_EQ(replies.size(), 1U);
        EXPECT_EQ(AsBytes(replies[0].bytes),
                  Reply(0x66, static_cast<std::uint8_t>(c.found - 875), 0x01, 0x55));
        EXPECT_EQ(m.Frequency(), c.found);
        EXPECT_FALSE(m.Seeking());
    }
}

TEST(TunerModule, SeekWithoutStationsGoesRoundOnceAndFindsNothing) {
    ModuleConfig config;
    config.frequency = 950;
    TunerModule m(config);
    m.PowerUp(0);
    m.Receive(Command(0x59, 0xFE, 2), 0);
    const auto replies = Replies(m, 1'000'000'000);
    ASSERT_EQ(replies.size(), 1U);
    EXPECT_EQ(AsBytes(replies[0].bytes), Reply(0x66, 75, 0x00, 0x00));
    EXPECT_EQ(replies[0].readyUs, std::uint64_t{kBandChannels} * 15'000 + kAnswerUs);
    EXPECT_EQ(m.Frequency(), 950);
}

// The groups of a tuned station over `seconds`, as frames.
std::vector<TimedFrame> Groups(TunerModule& m, std::uint64_t fromUs, std::uint64_t toUs) {
    std::vector<TimedFrame> out;
    while (auto f = m.TakeFrame(toUs)) {
        if ((f->bytes[1] != 0 || f->bytes[2] != 0) && f->readyUs >= fromUs) {
            out.push_back(*f);
        }
    }
    return out;
}

TEST(TunerModule, StreamsTheTunedStationsGroupsAtTheAirRate) {
    ModuleConfig config = ThreeStations();
    config.frequency = 1003;
    TunerModule m(config);
    m.PowerUp(0);
    const auto groups = Groups(m, 0, 10'000'000);
    // 1187.5 bit/s, 104 bits a group.
    EXPECT_GE(groups.size(), 114U);
    EXPECT_LE(groups.size(), 115U);

    PsNameAssembler assembler;
    std::set<int> types;
    std::vector<std::string> names;
    for (const auto& g : groups) {
        const RdsFrame frame = DecodeRdsFrame(g.bytes.data(), g.bytes.size());
        ASSERT_EQ(frame.kind, RdsFrameKind::RdsGroup);
        EXPECT_EQ(frame.At(1), 0xE2);
        EXPECT_EQ(frame.At(2), 0x03);
        types.insert(frame.At(3) >> 4);
        if (const auto name = assembler.Feed(frame)) {
            names.emplace_back(name->begin(), name->end());
        }
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2})) << "0A mixed with other groups";
    ASSERT_GE(names.size(), 10U) << "the name comes round about every 0.7 s";
    for (const auto& name : names) {
        EXPECT_EQ(name, "RADIO 3 ");
    }
}

TEST(TunerModule, SendsNoGroupsWithoutAStationOrWhileSeeking) {
    TunerModule m(ThreeStations());
    m.PowerUp(0);
    EXPECT_TRUE(Groups(m, 0, 5'000'000).empty()) << "875 carries nothing";
    m.Receive(Command(0x73, 128, 0xF0), 5'000'000);
    EXPECT_FALSE(Groups(m, 0, 6'000'000).empty());
    m.Receive(Command(0x58, 0xFE, 1), 6'000'000);
    // 64 steps down to 939 take 960 ms: nothing comes meanwhile.
    EXPECT_TRUE(Groups(m, 6'000'000, 6'950'000).empty());
    const auto after = Groups(m, 6'950'000, 8'000'000);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front().bytes[1], 0xE2);
    EXPECT_EQ(after.front().bytes[2], 0xC3) << "the found station's PI";
}

// A module tuned at power-up to a station that sends this capture.
TunerModule CaptureModule(const std::string& capture) {
    Station station;
    station.frequency = 950;
    const auto parsed = ParseCapture(capture);
    station.capture =
        std::make_shared<const CaptureSchedule>(std::get<std::vector<CapturedGroup>>(parsed));
    ModuleConfig config;
    config.stations = {station};
    config.frequency = 950;
    TunerModule m(config);
    m.PowerUp(0);
    return m;
}

TEST(TunerModule, ACaptureKeepsItsTimeStampsAtLeastAGroupTimeApartAndLoops) {
    TunerModule m = CaptureModule(
        "0001 0000 0000 0000 @2016/09/15 12:00:00.00\n"
        "0002 0000 0000 0000 @2016/09/15 12:00:00.09\n"  // later than the air rate
        "0003 ---- 0000 0000 @2016/09/15 12:00:00.18\n"  // in error: its slot, no group
        "0004 0000 0000 0000 @2016/09/15 12:00:02.18\n"  // two seconds lost in a fade
        "0005 0000 0000 0000\n"                          // no stamp: one group time on
        "0006 0000 0000 0000 @2016/09/15 12:00:02.20\n"  // too early: the air rate wins
    );
    // GroupUs(1..3): 87578, 175157, 262736; one loop is 2180000 + 262736.
    const std::vector<std::pair<int, std::uint64_t>> expected = {
        {1, 0},         {2, 90'000},    {4, 2'180'000}, {5, 2'267'578},
        {6, 2'355'157}, {1, 2'442'736}, {2, 2'532'736}, {4, 4'622'736},
        {5, 4'710'314}, {6, 4'797'893}, {1, 4'885'472},
    };
    std::vector<std::pair<int, std::uint64_t>> got;
    for (const auto& frame : Groups(m, 0, 4'885'472)) {
        got.emplace_back(frame.bytes[2], frame.readyUs);
    }
    EXPECT_EQ(got, expected);

    // Without stamps, the air rate.
    TunerModule plain = CaptureModule("0001 0000 0000 0000\n0002 0000 0000 0000\n");
    const auto groups = Groups(plain, 0, 10'000'000);
    EXPECT_GE(groups.size(), 114U);
    EXPECT_LE(groups.size(), 115U);
}

// A step back in the stamps, or a jump beyond the longest gap (a clock set
// years ahead), is no gap on air: the air rate goes on from there, and the
// stamps after it count from it.
TEST(TunerModule, ACapturesStampsThatGoBackOrJumpFarTakeTheAirRate) {
    const std::string capture =
        "0001 0000 0000 0000 @2016/09/15 12:00:10.00\n"
        "0002 0000 0000 0000 @2016/09/15 12:00:05.00\n"   // back five seconds
        "0003 0000 0000 0000 @2016/09/15 12:00:07.00\n"   // a 2 s gap after it
        "0004 0000 0000 0000 @2016/09/15 12:01:08.00\n"   // 60.9 s beyond its slot
        "0005 0000 0000 0000 @2016/09/15 12:01:09.00\n"   // a 1 s gap after it
        "0006 0000 0000 0000 @2016/09/15 12:02:09.00\n"   // 59.9 s: a gap still
        "0007 0000 0000 0000 @9999/12/31 23:59:59.99\n"   // centuries ahead
        "0008 0000 0000 0000 @0000/01/01 00:00:00.00\n";  // and back before them
    TunerModule m = CaptureModule(capture);
    const std::vector<std::pair<int, std::uint64_t>> expected = {
        {1, 0},         {2, 87'578},     {3, 2'087'578},  {4, 2'175'156},
        {5, 3'175'156}, {6, 63'175'156}, {7, 63'262'734}, {8, 63'350'313},
    };
    std::vector<std::pair<int, std::uint64_t>> got;
    for (const auto& frame : Groups(m, 0, 63'350'313)) {
        got.emplace_back(frame.bytes[2], frame.readyUs);
    }
    EXPECT_EQ(got, expected);

    const CaptureSchedule schedule(std::get<std::vector<CapturedGroup>>(ParseCapture(capture)));
    ASSERT_TRUE(schedule.Jump().has_value());
    EXPECT_EQ(schedule.Jump()->line, 4);
    EXPECT_EQ(schedule.Jump()->aheadMs, 60'913);
    EXPECT_EQ(schedule.Jump()->more, 1);
}

// The second group's stamp lies exactly the longest gap, or a millisecond
// more, beyond its slot on air (one group time, 87 ms, after the first).
TEST(TunerModule, AGapOfTheLongestIsKeptAndAMillisecondMoreIsAJump) {
    struct Case {
        std::int64_t stampMs;
        std::optional<std::int64_t> jumpMs;
        std::uint64_t secondUs;
    };
    const Case cases[] = {
        {87 + 59'999, std::nullopt, (87 + 59'999) * 1000ULL},
        {87 + 60'000, std::nullopt, (87 + 60'000) * 1000ULL},
        {87 + 60'001, 60'001, GroupUs(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stampMs);
        const std::vector<CapturedGroup> groups = {
            {RdsGroup{1, 0, 0, 0}, 0, 0, 1},
            {RdsGroup{2, 0, 0, 0}, 0, c.stampMs, 2},
        };
        const CaptureSchedule schedule(groups);
        EXPECT_EQ(schedule.OffsetUs(1), c.secondUs);
        EXPECT_EQ(schedule.Jump().has_value(), c.jumpMs.has_value());
        if (schedule.Jump() && c.jumpMs) {
            EXPECT_EQ(schedule.Jump()->aheadMs, *c.jumpMs);
            EXPECT_EQ(schedule.Jump()->line, 2);
        }
    }
}

// Live groups: dropped unless the module is tuned to their station, at most
// one group time apart, the newest kLiveGroupsHeld when more wait, with the
// record's pi and ps laid over them.
TEST(TunerModule, LiveGroupsGoOnAirOnlyWhileTunedToTheirStation) {
    Station live;
    live.frequency = 950;
    live.live = true;
    live.identity.pi = 0xE2AB;
    live.identity.ps = EncodePsName("KESTRIN");
    ModuleConfig config = ThreeStations();
    config.stations.push_back(live);
    config.frequency = 1003;
    TunerModule m(config);
    m.PowerUp(0);
    const auto radiotext = [](int n) {
        return RdsGroup{0x6204, 0x2130, static_cast<std::uint16_t>(n), 0x4142};
    };
    m.ReceiveLive(radiotext(100), true, 500'000);  // tuned elsewhere
    m.Receive(Command(0x73, 950 - kRdsBaseFrequency, 0xF0), 1'000'000);
    EXPECT_TRUE(Groups(m, 1'000'000, 5'000'000).empty()) << "a group fed before the tune";

    const std::uint64_t at = 5'000'000;
    for (int n = 0; n < static_cast<int>(kLiveGroupsHeld) + 8; ++n) {
        m.ReceiveLive(radiotext(n), true, at);
    }
    m.ReceiveLive(radiotext(200), false, at);  // a block in error
    const auto sent = Groups(m, at, 20'000'000);
    ASSERT_EQ(sent.size(), kLiveGroupsHeld);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(i);
        const std::size_t n = i + 8;  // the oldest eight went
        EXPECT_EQ(sent[i].bytes, Frame({0xE2AB, 0x2130, static_cast<std::uint16_t>(n), 0x4142}));
        EXPECT_EQ(sent[i].readyUs, at + n * 87'578);
    }

    // Block A 0000 is sent with the record's pi over it; the name too.
    m.ReceiveLive({0x0000, 0x0132, 0xE472, 0x5833}, true, 30'000'000);
    const auto named = Groups(m, 30'000'000, 31'000'000);
    ASSERT_EQ(named.size(), 1U);
    EXPECT_EQ(named.front().bytes, Frame({0xE2AB, 0x0132, 0xE472, 0x5249}));  // "RI"

    // While seeking (up to 1003), and once tuned away, nothing goes on.
    m.Receive(Command(0x59, 0xFE, 1), 32'000'000);
    m.ReceiveLive(radiotext(300), true, 32'010'000);
    m.ReceiveLive(radiotext(301), true, 40'000'000);
    const auto after = Groups(m, 32'000'000, 45'000'000);
    ASSERT_FALSE(after.empty());
    for (const auto& frame : after) {
        EXPECT_EQ(frame.bytes[1], 0xE2);
        EXPECT_EQ(frame.bytes[2], 0x03) << "only 1003's own groups";
    }
}

TEST(TunerModule, AStationsRecordLaysItsIdentityOverGroupsItDidNotMake) {
    struct IdentityCase {
        const char* name;
        RdsGroup in;
        RdsGroup out;
    };
    StationIdentity identity;
    identity.pi = 0xE2AB;
    identity.ps = EncodePsName("KESTRIN");
    const std::vector<IdentityCase> cases = {
        {"0A: PI and the name's segment",
         {0x6204, 0x0132, 0xE472, 0x5833},
         {0xE2AB, 0x0132, 0xE472, 0x5249}},
        {"0B: block C carries the PI too",
         {0x9423, 0x0803, 0x0000, 0x2020},
         {0xE2AB, 0x0803, 0xE2AB, 0x4E20}},
        {"2A: radiotext left alone",
         {0x6204, 0x2130, 0x4142, 0x4344},
         {0xE2AB, 0x2130, 0x4142, 0x4344}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(identity.Apply(c.in), c.out);
    }
    EXPECT_EQ(StationIdentity{}.Apply(cases[0].in), cases[0].in) << "nothing to lay over";
}

TEST(TunerModule, NamesOutsideTheSingleByteRangeAreRefused) {
    struct NameCase {
        const char* text;
        std::optional<std::string> bytes;
    };
    const std::vector<NameCase> cases = {
        {"RNE 1", std::string("RNE 1   ")},
        {"", std::string("        ")},
        {"ABCDEFGH", std::string("ABCDEFGH")},
        {"ABCDEFGHI", std::nullopt},
        {"C\xC3\xA0T", std::string("C\xE0T     ")},  // U+00E0 becomes one byte
        {"\xE2\x82\xAC", std::nullopt},              // U+20AC needs more than one
        {"A\tB", std::nullopt},
        {"\xC3", std::nullopt},  // cut short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto ps = EncodePsName(c.text);
        ASSERT_EQ(ps.has_value(), c.bytes.has_value());
        if (ps) {
            EXPECT_EQ(std::string(ps->begin(), ps->end()), *c.bytes);
        }
    }
}

}  // namespace
}  // namespace host::com7
