// COM7: with the simulated module, through the unit's kernel calls on the
// virtual clock: presence and faults, the line settings the module needs,
// the pace of what it sends, read time-outs, events and the queue.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "rds/frame_reassembler.h"
#include "test_support/com_port_fixture.h"

namespace host::com7::test {
namespace {

using platform::DWORD;
using platform::HANDLE;
using test_support::ComPortTest;
using test_support::kSettle;
using test_support::kVersionQuery;
using test_support::kVersionReply;
using test_support::StationsToml;
using test_support::TuneCommand;

using platform::GetLastError;

TEST_F(ComPortTest, OpensOnceAtATime) {
    ASSERT_TRUE(Load(StationsToml()));
    // Whatever the share modes, a second open is refused as Windows refuses
    // a port in use.
    constexpr DWORD kShareAll = platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE;
    for (const DWORD share : {DWORD{0}, kShareAll}) {
        SCOPED_TRACE(share);
        const auto open = [&] {
            return U().CreateFile("COM7:", platform::GENERIC_READ | platform::GENERIC_WRITE, share,
                                  platform::OPEN_EXISTING, 0);
        };
        const HANDLE first = open();
        ASSERT_NE(first, platform::INVALID_HANDLE_VALUE);
        EXPECT_EQ(open(), platform::INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), platform::ERROR_ACCESS_DENIED);
        EXPECT_TRUE(U().CloseHandle(first));
        const HANDLE again = open();
        EXPECT_NE(again, platform::INVALID_HANDLE_VALUE);
        U().CloseHandle(again);
    }
}

TEST_F(ComPortTest, TheModuleUnderstandsOnly38400EightNoneOne) {
    struct LineCase {
        const char* name;
        DWORD baud;
        platform::BYTE bits;
        platform::BYTE parity;
        platform::BYTE stop;
        bool answered;
    };
    const std::vector<LineCase> cases = {
        {"38400 8N1", 38400, 8, platform::NOPARITY, platform::ONESTOPBIT, true},
        {"as opened, 9600", 9600, 8, platform::NOPARITY, platform::ONESTOPBIT, false},
        {"7 data bits", 38400, 7, platform::NOPARITY, platform::ONESTOPBIT, false},
        {"even parity", 38400, 8, platform::EVENPARITY, platform::ONESTOPBIT, false},
        {"two stop bits", 38400, 8, platform::NOPARITY, platform::TWOSTOPBITS, false},
    };
    ASSERT_TRUE(Load(StationsToml()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE h = Open();
        platform::DCB opened;
        ASSERT_TRUE(U().GetCommState(h, &opened));
        EXPECT_EQ(opened.BaudRate, 9600U) << "every open starts from the driver's defaults";
        SetLine(h, c.baud, c.bits, c.parity, c.stop);
        Send(h, kVersionQuery);
        Advance(50);
        DWORD errors = 0;
        platform::COMSTAT status;
        ASSERT_TRUE(U().ClearCommError(h, &errors, &status));
        EXPECT_EQ(status.cbInQue, c.answered ? 10U : 0U);
        U().CloseHandle(h);
    }
    // What the module sends over a mismatched line arrives as framing errors.
    const HANDLE h = Open();
    SetLine(h);
    Send(h, TuneCommand(1003));
    SetLine(h, 9600);
    Advance(500);
    DWORD errors = 0;
    platform::COMSTAT status;
    ASSERT_TRUE(U().ClearCommError(h, &errors, &status));
    EXPECT_EQ(errors & CE_FRAME, CE_FRAME);
    EXPECT_EQ(status.cbInQue, 0U);
    U().CloseHandle(h);
}

TEST_F(ComPortTest, RepliesArriveAtTheLinePace) {
    ASSERT_TRUE(Load(StationsToml()));
    const HANDLE h = Open();
    SetLine(h);
    Advance(1000);
    Send(h, kVersionQuery);  // in at 1.3 ms, answered 2 ms later, 2.6 ms on the line
    Advance(3);
    EXPECT_EQ(Queued(h), 0U);
    Advance(3);
    EXPECT_EQ(TakeQueued(h), kVersionReply);
    EXPECT_EQ(Port().Written(), kVersionQuery);
    U().CloseHandle(h);
}

TEST_F(ComPortTest, AFullQueueDropsBytesAndSaysSo) {
    ASSERT_TRUE(Load(StationsToml()));
    const HANDLE h = Open();
    SetLine(h);
    Send(h, TuneCommand(1003));
    Advance(60'000);  // about 6850 bytes sent, nobody reading
    DWORD errors = 0;
    platform::COMSTAT status;
    ASSERT_TRUE(U().ClearCommError(h, &errors, &status));
    EXPECT_EQ(status.cbInQue, SimulatedPort::kQueueBytes);
    EXPECT_EQ(errors & CE_RXOVER, CE_RXOVER);
    ASSERT_TRUE(U().ClearCommError(h, &errors, &status));
    EXPECT_EQ(errors, 0U) << "reading the errors clears them";
    U().CloseHandle(h);
}

// A counted thread making one call, so that its wait is accounted.
class Caller {
  public:
    Caller(unit::VirtualUnit& u, std::function<platform::BOOL(DWORD* error)> call) : u_(u) {
        thread_ = u.CreateThread(
            [this, call = std::move(call)] {
                DWORD error = 0;
                result_ = call(&error);
                error_ = error;
                done_ = true;
                return DWORD{0};
            },
            3);
    }
    ~Caller() {
        u_.WaitForSingleObject(thread_, platform::INFINITE);
        u_.CloseHandle(thread_);
    }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;
    [[nodiscard]] bool Done() const { return done_.load(); }
    [[nodiscard]] platform::BOOL Result() const { return result_.load(); }
    [[nodiscard]] DWORD Error() const { return error_.load(); }

  private:
    unit::VirtualUnit& u_;
    HANDLE thread_ = 0;
    std::atomic<bool> done_{false};
    std::atomic<platform::BOOL> result_{platform::FALSE};
    std::atomic<DWORD> error_{0};
};

TEST_F(ComPortTest, ReadsHonourTheTimeOutsOnTheUnitClock) {
    ASSERT_TRUE(Load(StationsToml()));
    const HANDLE h = Open();
    SetLine(h);
    // The module check's settings: 100 ms between bytes, 100 ms a byte + 10.
    ASSERT_TRUE(U().SetCommTimeouts(h, {100, 100, 10, 0, 0}));

    // Nothing comes: the whole total of 1010 ms.
    {
        std::array<std::uint8_t, 10> buffer{};
        DWORD read = 99;
        Caller c(U(), [&](DWORD* e) {
            const auto r = U().ReadFile(h, buffer.data(), 10, &read);
            *e = GetLastError();
            return r;
        });
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        Advance(1009);
        EXPECT_FALSE(c.Done());
        Advance(1);
        ASSERT_TRUE(c.Done());
        EXPECT_TRUE(c.Result());
        EXPECT_EQ(read, 0U);
    }
    // One reply, then silence: the read ends 100 ms after its last byte.
    {
        std::array<std::uint8_t, 20> buffer{};
        DWORD read = 0;
        Send(h, kVersionQuery);
        Caller c(U(), [&](DWORD* e) {
            const auto r = U().ReadFile(h, buffer.data(), 20, &read);
            *e = GetLastError();
            return r;
        });
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        Advance(6);  // the reply is in by now
        Advance(99);
        EXPECT_FALSE(c.Done());
        Advance(1);
        ASSERT_TRUE(c.Done());
        EXPECT_EQ(read, 10U);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 10), kVersionReply);
    }
    // Closing the port ends a read that waits.
    {
        std::array<std::uint8_t, 10> buffer{};
        DWORD read = 0;
        Caller c(U(), [&](DWORD* e) {
            const auto r = U().ReadFile(h, buffer.data(), 10, &read);
            *e = GetLastError();
            return r;
        });
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        U().CloseHandle(h);
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        ASSERT_TRUE(c.Done());
        EXPECT_FALSE(c.Result());
        EXPECT_EQ(c.Error(), platform::ERROR_INVALID_HANDLE);
    }
}

TEST_F(ComPortTest, EventWaitsEndWithCharactersAMaskChangeOrTheClose) {
    struct EventCase {
        const char* name;
        std::function<void(ComPortTest&, HANDLE)> act;
        platform::BOOL result;
        DWORD events;
        DWORD error;
    };
    const std::vector<EventCase> cases = {
        {"characters arrive",
         [](ComPortTest& t, HANDLE h) {
             t.Send(h, kVersionQuery);
             t.Advance(10);
         },
         platform::TRUE, platform::EV_RXCHAR, 0},
        {"the mask is cleared", [](ComPortTest& t, HANDLE h) { t.U().SetCommMask(h, 0); },
         platform::TRUE, 0, 0},
        {"the port is closed", [](ComPortTest& t, HANDLE h) { t.U().CloseHandle(h); },
         platform::FALSE, 0, platform::ERROR_INVALID_HANDLE},
    };
    ASSERT_TRUE(Load(StationsToml()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE h = Open();
        SetLine(h);
        ASSERT_TRUE(U().SetCommMask(h, platform::EV_RXCHAR));
        DWORD events = 0xDEAD;
        Caller waiter(U(), [&](DWORD* e) {
            const auto r = U().WaitCommEvent(h, &events);
            *e = GetLastError();
            return r;
        });
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        EXPECT_FALSE(waiter.Done());
        c.act(*this, h);
        ASSERT_TRUE(U().scheduler().WaitQuiescent(kSettle));
        ASSERT_TRUE(waiter.Done());
        EXPECT_EQ(waiter.Result(), c.result);
        if (c.result) {
            EXPECT_EQ(events, c.events);
        } else {
            EXPECT_EQ(waiter.Error(), c.error);
        }
        U().CloseHandle(h);
    }
}

TEST_F(ComPortTest, CharactersThatCameBeforeTheWaitAreReportedAtOnce) {
    ASSERT_TRUE(Load(StationsToml()));
    const HANDLE h = Open();
    SetLine(h);
    ASSERT_TRUE(U().SetCommMask(h, platform::EV_RXCHAR));
    Send(h, kVersionQuery);
    Advance(10);
    DWORD events = 0;
    ASSERT_TRUE(U().WaitCommEvent(h, &events));
    EXPECT_EQ(events, platform::EV_RXCHAR);
    U().CloseHandle(h);
}

TEST_F(ComPortTest, ASilentModuleSaysNothingUntilItSpeaksAgain) {
    ASSERT_TRUE(Load(StationsToml()));
    const HANDLE h = Open();
    SetLine(h);
    Send(h, TuneCommand(1003));
    Advance(1000);
    TakeQueued(h);
    ASSERT_EQ(U().Set("com.silent", "true"), std::nullopt);
    Send(h, kVersionQuery);
    Advance(5000);
    EXPECT_EQ(Queued(h), 0U);
    ASSERT_EQ(U().Set("com.silent", "false"), std::nullopt);
    Advance(100);
    // Back on air: the stream goes on from now, with no backlog of the
    // silent seconds and no answer to what it ignored.
    RdsFrameReassembler reassembler;
    int groups = 0;
    reassembler.Feed(TakeQueued(h), [&](const RdsFrame& f) {
        EXPECT_EQ(f.kind, RdsFrameKind::RdsGroup) << "no answer to the query";
        ++groups;
    });
    EXPECT_EQ(groups, 2);
    U().CloseHandle(h);
}

TEST_F(ComPortTest, BadConfigurationNamesTheKey) {
    struct ConfigCase {
        const char* name;
        const char* toml;
        const char* key;
        std::string capture = {};  // capture.spy beside unit.toml
    };
    const char* kCaptureStation = "[[com.station]]\nfrequency = 900\ngroups = \"capture.spy\"\n";
    const std::vector<ConfigCase> cases = {
        {"PI zero would read as a reply", "[[com.station]]\nfrequency = 900\npi = 0\nps = \"X\"\n",
         "com.station[0].pi"},
        {"name too long", "[[com.station]]\nfrequency = 900\npi = 1\nps = \"ABCDEFGHI\"\n",
         "com.station[0]"},
        {"two stations on one frequency",
         "[[com.station]]\nfrequency = 900\npi = 1\nps = \"A\"\n"
         "[[com.station]]\nfrequency = 900\npi = 2\nps = \"B\"\n",
         "com.station[1]"},
        {"outside the band", "[[com.station]]\nfrequency = 1081\npi = 1\nps = \"A\"\n",
         "com.station[0].frequency"},
        {"no name", "[[com.station]]\nfrequency = 900\npi = 1\n", "com.station[0]: ps: missing"},
        {"no PI", "[[com.station]]\nfrequency = 900\nps = \"A\"\n", "com.station[0]: pi: missing"},
        {"two version numbers", "[com]\nversion = [1, 2]\n", "com.version"},
        {"level out of range", "[com]\nnoise_level = 200\n", "com.noise_level"},
        {"malformed capture line", kCaptureStation,
         "com.station[0]: groups: capture.spy:2: ", "6204 0130 966B 594C\n6204 0131 93CD\n"},
        {"capture without a group", kCaptureStation, "capture.spy: no RDS group", "<header>\n"},
        {"block A zero without a pi", kCaptureStation, "capture.spy:2: block A 0000",
         "6204 0130 966B 594C\n0000 0131 93CD 4520\n"},
        {"no such capture", "[[com.station]]\nfrequency = 900\ngroups = \"none.spy\"\n",
         "groups: cannot read none.spy"},
        {"capture outside the unit",
         "[[com.station]]\nfrequency = 900\ngroups = \"../capture.spy\"\n",
         "groups: a file inside the unit folder"},
        {"two live stations",
         "[[com.station]]\nfrequency = 900\ngroups = \"-\"\n"
         "[[com.station]]\nfrequency = 901\ngroups = \"-\"\n",
         "com.station[1]: groups: only one station"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unit::TestUnit t({Com7ComponentKind()});
        t.Toml(c.toml);
        if (!c.capture.empty()) {
            t.UnitFile("capture.spy", c.capture);
        }
        ASSERT_FALSE(t.Load());
        EXPECT_NE(t.error().find(c.key), std::string::npos) << t.error();
    }
}

// A capture is a file of the unit folder wherever its links lead: one that
// a link takes out of the folder is refused, and none of it is shown.
TEST_F(ComPortTest, ACaptureMustLieInsideTheUnitFolder) {
    namespace fs = std::filesystem;
    const auto outside = unit::TempDir::Create("kestrin-outside-");
    const auto dir = unit::TempDir::Create("kestrin-unit-");
    ASSERT_TRUE(outside && dir);
    std::ofstream(outside->path() / "secret.spy") << "6204 0130 966B 594C SECRET\n";
    std::ofstream(dir->path() / "inside.spy") << "6204 0130 966B 594C\n";
    fs::create_symlink(outside->path() / "secret.spy", dir->path() / "file.spy");
    fs::create_directory_symlink(outside->path(), dir->path() / "folder");
    fs::create_symlink("inside.spy", dir->path() / "alias.spy");
    struct LinkCase {
        const char* groups;
        bool loads;
    };
    for (const LinkCase& c : {LinkCase{"file.spy", false}, LinkCase{"folder/secret.spy", false},
                              LinkCase{"alias.spy", true}}) {
        SCOPED_TRACE(c.groups);
        std::ofstream(dir->path() / "unit.toml")
            << "[[com.station]]\nfrequency = 900\ngroups = \"" << c.groups << "\"\n";
        const auto loaded =
            unit::LoadUnit(dir->path(), {Com7ComponentKind()}, {.virtualTime = true});
        ASSERT_EQ(loaded.ok(), c.loads) << (loaded ? "" : loaded.error().Text());
        if (!c.loads) {
            EXPECT_NE(loaded.error().Text().find("groups: a file inside the unit folder"),
                      std::string::npos)
                << loaded.error().Text();
        }
    }
}

// A FIFO as a capture is refused unread: its reader would wait for a writer.
TEST_F(ComPortTest, ACaptureThatIsAFifoIsRefusedUnread) {
    const auto dir = unit::TempDir::Create("kestrin-unit-");
    ASSERT_TRUE(dir);
    ASSERT_EQ(::mkfifo((dir->path() / "fifo.spy").c_str(), 0600), 0);
    std::ofstream(dir->path() / "unit.toml")
        << "[[com.station]]\nfrequency = 900\ngroups = \"fifo.spy\"\n";
    const auto loaded = unit::LoadUnit(dir->path(), {Com7ComponentKind()}, {.virtualTime = true});
    ASSERT_FALSE(loaded.ok());
    EXPECT_NE(loaded.error().Text().find("groups: cannot read fifo.spy (a FIFO, not a file)"),
              std::string::npos)
        << loaded.error().Text();
}

// Stamps that jump further than the longest gap are said once at the load,
// and the station goes on at the air rate instead of falling silent.
TEST_F(ComPortTest, AJumpInACapturesStampsIsSaidAndNotWaitedFor) {
    T().UnitFile("capture.spy",
                 "6204 0130 966B 594C @2016/09/15 12:00:00.00\n"
                 "6204 0131 93CD 4520 @2018/09/15 12:00:00.00\n"
                 "6204 0132 E472 5833 @2525/01/01 00:00:00.00\n");
    testing::internal::CaptureStderr();
    const bool loaded = Load(
        "[com]\nfrequency = 900\n[[com.station]]\nfrequency = 900\ngroups = \"capture.spy\"\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "COM7: capture.spy:2: the time stamps jump 730 days ahead; the groups go on at "
              "the air rate (gaps of more than a minute are not kept, 1 more such jump later)\n");
    ASSERT_TRUE(loaded);
    const HANDLE h = Open();
    SetLine(h);
    Advance(1000);
    EXPECT_GE(Queued(h), 100U) << "about 11 groups a second";
    U().CloseHandle(h);
}

// Groups through a pipe on standard input, as redsea -x writes them, reach
// the line as they come, at most one group time apart.
TEST_F(ComPortTest, LiveGroupsComeThroughAPipeInRealTime) {
    std::array<int, 2> pipeFds{};
    ASSERT_EQ(::pipe(pipeFds.data()), 0);
    const int savedStdin = ::dup(STDIN_FILENO);
    ::dup2(pipeFds[0], STDIN_FILENO);
    T().Options({.virtualTime = false});
    const bool loaded = Load(
        "[com]\nfrequency = 900\n[[com.station]]\nfrequency = 900\n"
        "groups = \"-\"\n");
    ::dup2(savedStdin, STDIN_FILENO);
    ::close(savedStdin);
    ::close(pipeFds[0]);
    ASSERT_TRUE(loaded);
    std::string which;
    EXPECT_TRUE(U().UsesHostDevice(&which));
    EXPECT_EQ(which, "com.station[0].groups = \"-\"");

    const HANDLE h = Open();
    SetLine(h);
    // Each read waits for its ten bytes, up to a time-out no passing run
    // comes near.
    platform::COMMTIMEOUTS timeouts;
    timeouts.ReadTotalTimeoutConstant = 20'000;
    ASSERT_TRUE(U().SetCommTimeouts(h, timeouts));
    const auto readFrame = [&] {
        std::vector<std::uint8_t> frame(10);
        DWORD read = 0;
        EXPECT_TRUE(U().ReadFile(h, frame.data(), 10, &read));
        frame.resize(read);
        return frame;
    };
    testing::internal::CaptureStderr();
    const std::string lines =
        "\xEF\xBB\xBF<redsea>\n"  // an editor's byte-order mark first
        "6204 0130 966B 594C\n"
        "6204 ---- 93CD 4520\n"  // in error: the decoder passes it not
        "not a group\n"
        "6204 0130 966B 594C \x1B]0;x\x07\n"  // shown escaped
        "6204 0132 E472 5833 @2016/09/15 12:00:00.00\n";
    const auto written = std::chrono::steady_clock::now();
    ASSERT_EQ(::write(pipeFds[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    const auto first = readFrame();
    const auto second = readFrame();
    const auto apart = std::chrono::steady_clock::now() - written;
    EXPECT_EQ(first, (std::vector<std::uint8_t>{0x3F, 0x62, 0x04, 0x01, 0x30, 0x96, 0x6B, 0x59,
                                                0x4C, 0x3F}));
    EXPECT_EQ(second, (std::vector<std::uint8_t>{0x3F, 0x62, 0x04, 0x01, 0x32, 0xE4, 0x72, 0x58,
                                                 0x33, 0x3F}));
    EXPECT_GE(apart, std::chrono::microseconds(87'578)) << "one group time on air";
    // A group written later comes later.
    const std::string later = "6204 0137 966B 4D20\n";
    ASSERT_EQ(::write(pipeFds[1], later.data(), later.size()), static_cast<ssize_t>(later.size()));
    EXPECT_EQ(readFrame()[4], 0x37);
    ::close(pipeFds[1]);
    U().CloseHandle(h);
    const std::string reports = testing::internal::GetCapturedStderr();
    EXPECT_EQ(reports.find("standard input:1:"), std::string::npos) << reports;
    EXPECT_NE(reports.find("COM7: standard input:4: expected four blocks"), std::string::npos)
        << reports;
    EXPECT_NE(reports.find("COM7: standard input:5: unexpected text after the four blocks: "
                           "\"\\x1B]0;x\\x07\"\n"),
              std::string::npos)
        << reports;
    EXPECT_EQ(reports.find('\x1B'), std::string::npos) << "no control byte raw";
}

}  // namespace
}  // namespace host::com7::test
