// The RDS tool with COM7: mapped to a host serial device: a pseudo-terminal
// whose far end runs the simulated tuner module, on real time.
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "host/com7/tuner_module.h"
#include "rds_tool_env.h"
#include "test_support/pty_pair.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The module on the master side of the pair. Its clock jumps three seconds
// at each thing it hears, so a tune brings the reply and a good run of the
// station's groups at once.
class FarModule {
  public:
    FarModule(int master, host::com7::ModuleConfig config, std::function<void()> heard)
        : m_master(master), m_module(std::move(config)), m_heard(std::move(heard)) {
        m_module.PowerUp(0);
        if (::pipe(m_stop) == 0) {
            m_thread = std::thread([this] { Run(); });
        }
    }
    ~FarModule() {
        if (m_thread.joinable()) {
            const char quit = 'q';
            static_cast<void>(::write(m_stop[1], &quit, 1));
            m_thread.join();
        }
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }
    FarModule(const FarModule&) = delete;
    FarModule& operator=(const FarModule&) = delete;

    Bytes Heard() {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }

  private:
    void Run() {
        std::uint64_t nowUs = 0;
        for (;;) {
            std::array<pollfd, 2> fds{{{m_master, POLLIN, 0}, {m_stop[0], POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0 || fds[1].revents != 0) {
                return;
            }
            std::array<std::uint8_t, 256> buffer{};
            const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
            if (n <= 0) {
                return;
            }
            {
                std::lock_guard lock(m_mutex);
                m_bytes.insert(m_bytes.end(), buffer.begin(), buffer.begin() + n);
            }
            m_module.Receive({buffer.data(), static_cast<std::size_t>(n)}, nowUs);
            nowUs += 3'000'000;
            while (const auto frame = m_module.TakeFrame(nowUs)) {
                static_cast<void>(::write(m_master, frame->bytes.data(), frame->bytes.size()));
            }
            m_heard();
        }
    }

    int m_master;
    host::com7::TunerModule m_module;
    std::function<void()> m_heard;
    int m_stop[2] = {-1, -1};
    std::mutex m_mutex;
    Bytes m_bytes;
    std::thread m_thread;
};

host::com7::ModuleConfig Stations() {
    host::com7::ModuleConfig c;
    host::com7::Station radio3;
    radio3.frequency = 1003;
    radio3.level = 55;
    radio3.pi = 0xE203;
    radio3.ps = *host::com7::EncodePsName("RADIO 3");
    c.stations = {radio3};
    c.version = {1, 4, 2};
    return c;
}

TEST(RdsToolOnAHostSerialDevice, DrivesTheModuleAtTheFarEnd) {
    test_support::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // Held open by the test too, so the master never sees the line hang up.
    const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    rds_test::RdsToolEnv env("[com]\ndevice = \"" + pty.SlavePath() + "\"\n", false);
    ASSERT_TRUE(env.loaded());
    FarModule far(pty.Master(), Stations(), [&] { env.presenter.Wake(); });

    CRdsToolDlg dlg;
    env.presenter.AddWaitUntil([&] { return far.Heard().size() >= 5; });
    env.presenter.AddCall([&] {
        EXPECT_TRUE(env.boxes.empty());
        EXPECT_EQ(far.Heard(), (Bytes{0xFF, 0x6D, 0x01, 0x00, 0x6D}));
        termios tio{};
        ASSERT_EQ(::tcgetattr(slave, &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), B38400);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0U);
    });
    env.StepTap(IDC_RDS_SHOW_VERSION);
    env.presenter.AddWaitUntil([&] { return env.Text(IDC_RDS_VERSION3) == "2"; });
    env.presenter.AddCall([&] {
        EXPECT_EQ(env.Text(IDC_RDS_VERSION1), "1");
        EXPECT_EQ(env.Text(IDC_RDS_VERSION2), "4");
        env.SetText(IDC_RDS_FREQUENCY, "1003");
    });
    env.StepTap(IDC_RDS_TUNE_SEND);
    env.presenter.AddWaitUntil([&] { return env.Text(IDC_RDS_PS_NAME) == "RADIO 3 "; });
    env.presenter.AddCall([&] {
        EXPECT_TRUE(env.Checked(IDC_RDS_TUNE_TUNED));
        EXPECT_TRUE(env.Checked(IDC_RDS_TUNE_STRENGTH));
    });
    env.presenter.AddKey(ui::Key::Escape);
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    ui::ReleaseEndedThreads();
    EXPECT_EQ(env.u().LiveSystemThreads(), 0);
    EXPECT_EQ(env.u().OpenHandles(), 0);
    ::close(slave);
}

}  // namespace
