// GPS1: fed by gpsd: what the client keeps from gpsd's stream, what it says
// when gpsd is missing or is something else, and one run through the real
// daemon where gpsfake can start one.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gps1_test_support.h"
#include "gpsd_client.h"
#include "gpsd_lines.h"
#include "kestrin_tree.h"
#include "test_support/fake_gpsd.h"

namespace {

using namespace platform;
using gps1_test::Gps1Unit;
using host::gps1::GpsdLineFilter;

// Only keeps a broken build from hanging; a passing run never waits it out.
constexpr auto kPatience = std::chrono::seconds(60);

TEST(GpsdLineFilter, PassesTheSentencesWholeAndKeepsTheJsonToItself) {
    struct FilterCase {
        const char* name;
        std::vector<std::string> pieces;
        std::string passed;
        GpsdLineFilter::Greeting greeting;
    };
    const std::string banner = test_support::kGpsdBanner;
    const std::string replies = test_support::kGpsdWatchReplies;
    const std::vector<FilterCase> cases = {
        {"banner, replies, sentences",
         {banner + replies + "$GPGGA,1*00\r\n!AIVDM,1*00\r\n"},
         "$GPGGA,1*00\r\n!AIVDM,1*00\r\n",
         GpsdLineFilter::Greeting::Gpsd},
        {"cut anywhere",
         {banner.substr(0, 7), banner.substr(7) + "$GP", "RMC,2*0", "0\r\n"},
         "$GPRMC,2*00\r\n",
         GpsdLineFilter::Greeting::Gpsd},
        {"line feed only, JSON between",
         {banner + "$GPGSA,3\n{\"class\":\"TPV\"}\n$GPGSV,4\n"},
         "$GPGSA,3\r\n$GPGSV,4\r\n",
         GpsdLineFilter::Greeting::Gpsd},
        {"an over-long line is dropped whole",
         {banner + "$GPGGA," + std::string(GpsdLineFilter::kMaxLine, '9') + "\r\n$GPGSA,5\r\n"},
         "$GPGSA,5\r\n",
         GpsdLineFilter::Greeting::Gpsd},
        {"a control byte inside: no sentence",
         {banner + "$GP\rGGA,5\r\n$GPGSA,\x1B[2J\r\n$GPGSV,5\r\n"},
         "$GPGSV,5\r\n",
         GpsdLineFilter::Greeting::Gpsd},
        {"no banner yet", {"$GPGGA,6\r\n"}, "", GpsdLineFilter::Greeting::Other},
        {"a sentence before the line is complete",
         {banner + "$GPGGA,7"},
         "",
         GpsdLineFilter::Greeting::Gpsd},
        {"not gpsd", {"SSH-2.0-OpenSSH_9.2\r\n$GPGGA,8\r\n"}, "", GpsdLineFilter::Greeting::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GpsdLineFilter filter;
        std::string passed;
        for (const auto& piece : c.pieces) {
            passed += filter.Feed(piece);
        }
        EXPECT_EQ(passed, c.passed);
        EXPECT_EQ(filter.greeting(), c.greeting);
    }
}

class Gps1Gpsd : public ::testing::Test, public Gps1Unit {
  protected:
    void LoadGpsd(const std::string& address) {
        t.Options({.virtualTime = false});
        Load("[gps]\nsource = \"gpsd\"\ngpsd = \"" + address + "\"\n");
    }
};

TEST_F(Gps1Gpsd, AMissingOrStrangeGpsdIsSaidAtStartAndGps1StaysOpenAndSilent) {
    int refusedPort = 0;
    const host::unit::UniqueFd bound = test_support::BindLoopback(&refusedPort, false);
    ASSERT_TRUE(bound.valid());
    test_support::FakeGpsd ssh("SSH-2.0-OpenSSH_9.2\r\n");
    test_support::FakeGpsd noisy("\x1B]0;x\x07SSH-2.0\r\n");
    ASSERT_TRUE(ssh.ok() && noisy.ok());
    struct StartCase {
        const char* name;
        std::string address;
        std::string said;
    };
    const std::vector<StartCase> cases = {
        {"refused", "127.0.0.1:" + std::to_string(refusedPort),
         "GPS1: cannot reach gpsd at 127.0.0.1:" + std::to_string(refusedPort) +
             ": Connection refused"},
        {"not gpsd", ssh.Address(),
         "GPS1: cannot reach gpsd at " + ssh.Address() +
             ": it does not speak gpsd's protocol (its first line: \"SSH-2.0-OpenSSH_9.2\")"},
        {"not gpsd, control bytes shown escaped", noisy.Address(),
         "GPS1: cannot reach gpsd at " + noisy.Address() +
             ": it does not speak gpsd's protocol (its first line: \"\\x1B]0;x\\x07SSH-2.0\")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Gps1Unit g;
        testing::internal::CaptureStderr();
        g.t.Options({.virtualTime = false});
        g.Load("[gps]\nsource = \"gpsd\"\ngpsd = \"" + c.address + "\"\n");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find(c.said), 0U) << said;
        std::string which;
        EXPECT_TRUE(g.u().UsesHostDevice(&which));
        EXPECT_EQ(which, "gps.source = \"gpsd\"");
        const HANDLE h = g.Open();
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(g.Count(h), 0U);
        g.u().CloseHandle(h);
    }
}

// A gpsd that greets, takes the watch and closes before any sentence, again
// and again: each try waits longer, as after any failure, and it is said
// once. A session that delivered sentences starts the waits afresh.
TEST(GpsdClient, SessionsWithoutSentencesBackOffAndAreSaidOnce) {
    using namespace std::chrono_literals;
    test_support::FakeGpsd gpsd;
    ASSERT_TRUE(gpsd.ok());
    gpsd.SetDropWatchers(true);
    host::gps1::GpsdTiming timing;
    timing.firstRetry = 10ms;
    timing.lastRetry = 1280ms;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> said;
    const auto waitUntilSaid = [&](const std::string& line) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] {
            return std::find(said.begin(), said.end(), line) != said.end();
        });
    };
    const std::string connected = "GPS1: connected to gpsd at " + gpsd.Address();
    const std::string away =
        "GPS1: gpsd at " + gpsd.Address() + " went away (the connection was closed); reconnecting";
    const auto begun = std::chrono::steady_clock::now();
    const host::gps1::GpsdClient client(
        *host::gps1::ParseGpsdAddress(gpsd.Address()), [](std::string_view) {},
        [&](const std::string& line) {
            const std::lock_guard lock(mutex);
            said.push_back(line);
            changed.notify_all();
        },
        timing);
    constexpr int kTries = 8;
    ASSERT_TRUE(gpsd.WaitForWatchers(kTries, kPatience));
    std::chrono::milliseconds waits{};
    for (int n = 0; n + 1 < kTries; ++n) {
        waits += host::gps1::GpsdRetryDelay(n, timing);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - begun, waits) << "10, 20, 40 ... 640 ms";

    gpsd.SetDropWatchers(false);
    gpsd.Send("$GPGGA,1*00\r\n");
    ASSERT_TRUE(waitUntilSaid(connected));
    gpsd.DropClient();
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(gpsd.WaitForWatchers(kTries + 2, kPatience));
    EXPECT_LT(std::chrono::steady_clock::now() - dropped, timing.lastRetry / 2)
        << "the first wait again, not the longest";
    const std::lock_guard lock(mutex);
    EXPECT_EQ(said, (std::vector<std::string>{away, connected, away}));
}

// Takes the loopback of the process's network up or down.
bool SetLoopback(bool up) {
    const host::unit::UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ifreq request{};
    static_cast<void>(std::snprintf(request.ifr_name, sizeof request.ifr_name, "lo"));
    if (!fd.valid() || ::ioctl(fd.get(), SIOCGIFFLAGS, &request) != 0) {
        return false;
    }
    request.ifr_flags =
        static_cast<short>(up ? request.ifr_flags | IFF_UP : request.ifr_flags & ~IFF_UP);
    return ::ioctl(fd.get(), SIOCSIFFLAGS, &request) == 0;
}

constexpr int kNoNetworkOfItsOwn = 77;

// In a network of its own: a client watching a stand-in gpsd whose host then
// vanishes without a word (the loopback taken down). 0 when the client says
// the session timed out.
int WatchAHostVanish() {
    if (::unshare(CLONE_NEWNET) != 0 || !SetLoopback(true)) {
        return kNoNetworkOfItsOwn;
    }
    test_support::FakeGpsd gpsd;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> said;
    host::gps1::GpsdTiming timing;
    timing.keepIdle = std::chrono::seconds(1);
    timing.keepInterval = std::chrono::seconds(1);
    timing.keepCount = 2;
    const host::gps1::GpsdClient client(
        *host::gps1::ParseGpsdAddress(gpsd.Address()), [](std::string_view) {},
        [&](const std::string& line) {
            const std::lock_guard lock(mutex);
            said.push_back(line);
            changed.notify_all();
        },
        timing);
    if (!gpsd.ok() || !gpsd.WaitForWatchers(1, kPatience) || !SetLoopback(false)) {
        static_cast<void>(std::fprintf(stderr, "the client never watched\n"));
        return 1;
    }
    const std::string lost =
        "GPS1: gpsd at " + gpsd.Address() + " went away (Connection timed out); reconnecting";
    std::unique_lock lock(mutex);
    if (!changed.wait_for(lock, kPatience, [&] {
            return std::find(said.begin(), said.end(), lost) != said.end();
        })) {
        for (const auto& line : said) {
            static_cast<void>(std::fprintf(stderr, "said: %s\n", line.c_str()));
        }
        return 1;
    }
    return 0;
}

// gpsd is quiet while its receiver is unplugged, so only the host's own
// probes can tell a gpsd host that vanished from a quiet one.
TEST(GpsdClient, AHostThatVanishesIsFoundOutAndLeft) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::_exit(WatchAHostVanish());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoNetworkOfItsOwn) {
        GTEST_SKIP() << "no network namespace of the test's own here (needs CAP_SYS_ADMIN)";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A name server that does not answer holds up the lookup, not the unit: the
// client's start waits no longer than for a gpsd that does not answer, and
// its end does not wait at all.
TEST(GpsdClient, ALookupThatHangsHoldsUpNeitherStartNorEnd) {
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool open = false;
    };
    const auto gate = std::make_shared<Gate>();
    const auto release = [gate] {
        {
            const std::lock_guard lock(gate->mutex);
            gate->open = true;
        }
        gate->changed.notify_all();
    };
    // Keeps a broken client from hanging the test: the lookup ends after 5 s.
    std::thread watchdog([gate, release] {
        std::unique_lock lock(gate->mutex);
        if (!gate->changed.wait_for(lock, std::chrono::seconds(5), [&] { return gate->open; })) {
            lock.unlock();
            release();
        }
    });
    host::gps1::GpsdTiming timing;
    timing.connect = std::chrono::milliseconds(200);
    timing.greeting = std::chrono::milliseconds(200);
    const auto begun = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration started{};
    {
        const host::gps1::GpsdClient client(
            {"gpsd.example", "2947"}, [](std::string_view) {}, [](const std::string&) {}, timing,
            [gate](const std::string&, const std::string&, const addrinfo&, addrinfo**) {
                std::unique_lock lock(gate->mutex);
                gate->changed.wait(lock, [&] { return gate->open; });
                return EAI_AGAIN;
            });
        started = std::chrono::steady_clock::now() - begun;
    }
    const auto ended = std::chrono::steady_clock::now() - begun;
    release();
    watchdog.join();
    EXPECT_LT(started, std::chrono::seconds(2));  // connect + greeting + 1 s
    EXPECT_LT(ended, std::chrono::seconds(3));
}

// A program the test starts in a process group of its own, ended with it.
class Child {
  public:
    explicit Child(const std::vector<std::string>& argv) {
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attr, 0);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        error_ = posix_spawnp(&pid_, args[0], &files, &attr, args.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attr);
    }
    ~Child() {
        if (error_ == 0 && !ended_) {
            ::kill(-pid_, SIGTERM);
            Wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    [[nodiscard]] bool Started() const { return error_ == 0; }
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ended_ = true;
        return status;
    }

  private:
    pid_t pid_ = 0;
    int error_ = 0;
    bool ended_ = false;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

TEST_F(Gps1Gpsd, TheRealDaemonPassesTheReceiversSentencesOn) {
    {
        Child probe({"gpsfake", "-V"});
        if (!probe.Started() || probe.Wait() != 0) {
            GTEST_SKIP() << "gpsfake cannot run here (Debian: gpsd, gpsd-clients, python3-gps)";
        }
    }
    int port = 0;
    test_support::BindLoopback(&port, false);  // a free port, released again
    const std::string log = KESTRIN_TESTDATA_DIR "/nmea/bt-q818.log";
    Child gpsfake({"gpsfake", "-q", "-P", std::to_string(port), "-c", "0.01", log});
    ASSERT_TRUE(gpsfake.Started());
    testing::internal::CaptureStderr();  // gpsd may take a moment to come up
    LoadGpsd("127.0.0.1:" + std::to_string(port));
    const HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);

    // Closing the handle ends a wait that would otherwise never end.
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!done.wait_for(lock, kPatience, [&] { return finished; })) {
            u().CloseHandle(h);
        }
    });
    std::string got;
    int cycles = 0;
    while (cycles < 3 && u().DeviceIoControl(h, 0, nullptr, 0, nullptr, 0, nullptr) == TRUE) {
        got += ReadAll(h);
        cycles = 0;
        for (std::size_t at = got.find("$GPRMC"); at != std::string::npos;
             at = got.find("$GPRMC", at + 1)) {
            cycles += got.find("\r\n", at) != std::string::npos ? 1 : 0;
        }
    }
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    done.notify_all();
    watchdog.join();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(cycles, 3) << got;

    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    const std::vector<std::string> logLines = Lines(text.str());
    const std::vector<std::string> lines = Lines(got.substr(0, got.rfind("\r\n") + 2));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with("$PVSNS")) {
            ASSERT_LT(i + 1, lines.size());
            EXPECT_TRUE(lines[i + 1].starts_with("$GPRMC")) << "made up for the cycle";
            continue;
        }
        EXPECT_NE(std::find(logLines.begin(), logLines.end(), lines[i]), logLines.end())
            << lines[i];
        if (lines[i].starts_with("$GPRMC") && i > 0) {
            EXPECT_TRUE(lines[i - 1].starts_with("$PVSNS")) << "before every $GPRMC";
        }
    }
    u().CloseHandle(h);
}

}  // namespace
