// The receive loop on its own thread against a port that blocks like the
// real one, closed by another thread while frames keep arriving.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "fake_kernel.h"
#include "fake_rds_port.h"
#include "platform/services.h"
#include "rds/tool_link.h"
#include "recording_sink.h"

namespace {

// WaitEvent blocks until bytes arrive, the mask changes (it then reports no
// event) or the port is closed (it then fails with error 6).
class BlockingPort : public RdsSerialPort {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;
    static constexpr HANDLE kHandle = 0x2A;

    // Blocks while 256 bytes wait, as the line would hold the module back;
    // a closed port takes nothing.
    void Deliver(const Bytes& bytes) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || m_queue.size() < 256; });
        if (!m_closed) {
            m_queue.insert(m_queue.end(), bytes.begin(), bytes.end());
            m_changed.notify_all();
        }
    }
    int Writes() {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }

    HANDLE Open() override { return kHandle; }
    void ConfigureLine(HANDLE) override {}
    void SetReadTimeouts(HANDLE) override {}
    BOOL SetEventMask(HANDLE h, DWORD mask) override {
        std::lock_guard lock(m_mutex);
        m_mask = mask;
        ++m_maskChanges;
        m_changed.notify_all();
        return Usable(h);
    }
    BOOL WaitEvent(HANDLE h, DWORD* events) override {
        std::unique_lock lock(m_mutex);
        const int maskChanges = m_maskChanges;
        m_changed.wait(lock, [&] {
            return !Usable(h) || m_maskChanges != maskChanges || (!m_queue.empty() && m_mask != 0);
        });
        *events = m_maskChanges != maskChanges ? 0 : platform::EV_RXCHAR;
        return Usable(h);
    }
    BOOL QueuedBytes(HANDLE h, DWORD* count) override {
        std::lock_guard lock(m_mutex);
        *count = static_cast<DWORD>(m_queue.size());
        return Usable(h);
    }
    BOOL Read(HANDLE h, void* buffer, DWORD toRead, DWORD* read) override {
        std::lock_guard lock(m_mutex);
        const std::size_t n = Usable(h) ? std::min<std::size_t>(toRead, m_queue.size()) : 0;
        std::copy_n(m_queue.begin(), n, static_cast<std::uint8_t*>(buffer));
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(n));
        *read = static_cast<DWORD>(n);
        m_changed.notify_all();
        return Usable(h);
    }
    BOOL Write(HANDLE h, const void*, DWORD toWrite, DWORD* written) override {
        std::lock_guard lock(m_mutex);
        m_writes += Usable(h);
        *written = Usable(h) ? toWrite : 0;
        return Usable(h);
    }
    BOOL Close(HANDLE h) override {
        std::lock_guard lock(m_mutex);
        const BOOL wasOpen = Usable(h);
        m_closed = true;
        m_changed.notify_all();
        return wasOpen;
    }
    DWORD LastError() override { return platform::GetLastError(); }
    DWORD Now() override { return 0; }

  private:
    BOOL Usable(HANDLE h) const {
        if (h == kHandle && !m_closed) {
            return platform::TRUE;
        }
        platform::SetLastError(platform::ERROR_INVALID_HANDLE);
        return platform::FALSE;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Bytes m_queue;
    DWORD m_mask = 0;
    int m_maskChanges = 0;
    bool m_closed = false;
    int m_writes = 0;
};

// Lets the test wait until a name has been shown.
class NameWaitingSink : public RecordingSink {
  public:
    void WaitForName() {
        std::unique_lock lock(m_mutex);
        m_named.wait(lock, [this] { return m_names > 0; });
    }

  protected:
    void Add(std::string event) override {
        {
            std::lock_guard lock(m_mutex);
            if (event.rfind("ps ", 0) == 0) {
                ++m_names;
            }
            m_events.push_back(std::move(event));
        }
        m_named.notify_all();
    }

  private:
    std::condition_variable m_named;
    int m_names = 0;
};

// The groups of one station's name, "KESTRIN ".
Bytes Station() {
    const char* name = "KESTRIN ";
    Bytes out;
    for (std::size_t segment = 0; segment < 4; ++segment) {
        const Bytes group = {0x3F,
                             0x62,
                             0x04,
                             0x01,
                             static_cast<std::uint8_t>(0x30 | segment),
                             0x96,
                             0x6B,
                             static_cast<std::uint8_t>(name[2 * segment]),
                             static_cast<std::uint8_t>(name[2 * segment + 1]),
                             0x3F};
        out = Join({out, group});
    }
    return out;
}

TEST(ToolLinkThreads, ClosingWhileFramesStreamEndsTheReceiveThread) {
    FakeKernel kernel;
    platform::ScopedServices services(platform::Services{.kernel = &kernel});
    const Bytes station = Station();
    for (int round = 0; round < 200; ++round) {
        BlockingPort port;
        NameWaitingSink sink;
        RdsToolLink link(port, sink);
        ASSERT_TRUE(link.OpenPort());
        link.ConfigurePort();
        link.SetFrequency(875);
        std::thread receiver([&link] { link.ReceiveLoop(); });
        link.Send(RdsCommand::MuteOff, 0, 1, true);

        std::atomic<bool> stop{false};
        std::thread module([&] {
            // The station's groups keep coming round in 7-byte pieces until
            // the test is done, so frames straddle the pieces.
            for (std::size_t at = 0; !stop.load(); at += 7) {
                Bytes piece(7);
                for (std::size_t i = 0; i < piece.size(); ++i) {
                    piece[i] = station[(at + i) % station.size()];
                }
                port.Deliver(piece);
            }
        });
        sink.WaitForName();
        link.Send(RdsCommand::ShowLevel, 0, 1, true);
        link.SetFrequency(900);
        link.ClosePort();
        receiver.join();
        stop.store(true);
        module.join();

        EXPECT_EQ(link.Port(), 0);
        EXPECT_EQ(port.Writes(), 2);
        const auto events = sink.Events();
        ASSERT_FALSE(events.empty());
        EXPECT_NE(std::find(events.begin(), events.end(), "ps [KESTRIN ]"), events.end());
    }
}

}  // namespace
