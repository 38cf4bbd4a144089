// Messages between threads: sends served while the UI thread waits for a
// worker, posts to live and gone windows, taking back posted payloads, and
// the lifetime of thread objects.
#include <atomic>
#include <memory>
#include <thread>

#include "hub.h"
#include "platform/api.h"
#include "ui_fixture.h"

namespace ui::test {
namespace {

constexpr UINT WM_DOUBLE = WM_USER + 1;
constexpr UINT WM_CHUNK = WM_USER + 2;
constexpr UINT WM_PIECE = WM_USER + 3;
constexpr int kEdit = 1002;

struct Job {
    HWND target = nullptr;
    std::atomic<LRESULT> reply{0};
    std::atomic<bool> sentToGoneWindow{false};
    CWnd* edit = nullptr;
    std::string textSeen;
};

UINT SendDouble(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    job->reply = ui::SendMessage(job->target, WM_DOUBLE, 21, 0);
    return 5;
}

TEST_F(UiTest, WorkerBlockedInSendFinishesWhileWindowWaitsForIt) {
    TestDialog dlg(BasicTemplate());
    dlg.BindMessage(WM_DOUBLE, [](WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 2); });
    Job job;
    bool waited = false;
    presenter.AddCall([&] {
        job.target = dlg.m_hWnd;
        CWinThread* worker = AfxBeginThread(SendDouble, &job);
        ASSERT_NE(worker, nullptr);
        // The worker's send can only be answered by this wait.
        EXPECT_EQ(WaitForThread(worker), TRUE);
        EXPECT_TRUE(worker->HasEnded());
        EXPECT_EQ(worker->ExitCode(), 5U);
        waited = true;
        dlg.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(waited);
    EXPECT_EQ(job.reply.load(), 42);
}

UINT WriteAndReadEdit(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    job->edit->SetWindowText("from the worker");
    job->textSeen = job->edit->GetWindowText();
    return 0;
}

TEST_F(UiTest, ControlCallsFromAWorkerRunOnTheUiThread) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kEdit, 5, 5, 100, 12, ES_READONLY));
    TestDialog dlg(t);
    CEdit edit;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Control(dx, kEdit, edit); };
    Job job;
    job.edit = &edit;
    presenter.AddCall([&] {
        WaitForThread(AfxBeginThread(WriteAndReadEdit, &job));
        EXPECT_EQ(Info(kEdit).text, "from the worker");
    });
    dlg.DoModal();
    EXPECT_EQ(job.textSeen, "from the worker");
}

UINT PostChunks(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    for (int i = 0; i < 3; ++i) {
        auto chunk = std::make_unique<std::string>("chunk");
        if (ui::PostMessage(job->target, WM_CHUNK, 5, reinterpret_cast<LPARAM>(chunk.get()))) {
            static_cast<void>(chunk.release());
        }
    }
    return 0;
}

// A window that owns the blocks posted to it: it frees those it handles and
// takes back, when it closes, those still queued.
class ChunkDialog : public TestDialog {
  public:
    ChunkDialog() : TestDialog(BasicTemplate()) {
        BindMessage(WM_CHUNK, [this](WPARAM, LPARAM l) {
            std::unique_ptr<std::string> chunk(reinterpret_cast<std::string*>(l));
            ++handled;
            return 0;
        });
    }
    int handled = 0;
    int reclaimed = 0;

  protected:
    void OnClose() override {
        MSG msg;
        while (PeekMessage(&msg, m_hWnd, WM_CHUNK, WM_CHUNK, PM_REMOVE)) {
            std::unique_ptr<std::string> chunk(reinterpret_cast<std::string*>(msg.lParam));
            ++reclaimed;
        }
        Default();
    }
};

TEST_F(UiTest, PostedBlocksStillQueuedAreTakenBackWhenTheWindowCloses) {
    ChunkDialog dlg;
    Job job;
    presenter.AddCall([&] {
        job.target = dlg.m_hWnd;
        CWinThread* worker = AfxBeginThread(PostChunks, &job);
        // Joined with a plain platform wait: the posts stay queued.
        platform::WaitForSingleObject(worker->m_hThread, platform::INFINITE);
        dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.handled, 0);
    EXPECT_EQ(dlg.reclaimed, 3);
}

TEST_F(UiTest, PostedMessagesAreHandledInOrder) {
    TestDialog dlg(BasicTemplate());
    std::vector<WPARAM> seen;
    dlg.BindMessage(WM_USER + 7, [&](WPARAM w, LPARAM) {
        seen.push_back(w);
        if (seen.size() == 3) {
            dlg.EndDialog(0);
        }
        return 0;
    });
    presenter.AddCall([&] {
        for (WPARAM i = 1; i <= 3; ++i) {
            EXPECT_EQ(dlg.PostMessage(WM_USER + 7, i), TRUE);
        }
    });
    dlg.DoModal();
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
}

UINT SendToGone(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    job->reply = ui::SendMessage(job->target, WM_DOUBLE, 21, 0);
    job->sentToGoneWindow = ui::PostMessage(job->target, WM_DOUBLE, 0, 0) == FALSE;
    return 0;
}

TEST_F(UiTest, MessagesToAGoneWindowFailAtOnce) {
    TestDialog dlg(BasicTemplate());
    dlg.BindMessage(WM_DOUBLE, [](WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 2); });
    presenter.AddCall([&] { dlg.EndDialog(0); });
    HWND gone = nullptr;
    dlg.onInit = [&](TestDialog& d) { gone = d.m_hWnd; };
    dlg.DoModal();
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(IsWindow(gone), FALSE);

    Job job;
    job.target = gone;
    job.reply = -1;
    WaitForThread(AfxBeginThread(SendToGone, &job));
    EXPECT_EQ(job.reply.load(), 0);
    EXPECT_TRUE(job.sentToGoneWindow.load());
    // A new window never takes the old handle.
    TestDialog next(BasicTemplate());
    next.onInit = [&](TestDialog& d) { EXPECT_NE(d.m_hWnd, gone); };
    presenter.AddCall([&] { next.EndDialog(0); });
    next.DoModal();
}

TEST(HubTest, SenderWaitingOnAWindowThatGoesAwayGetsZero) {
    detail::Hub hub(nullptr);
    const HWND hwnd = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
    hub.AddLive(hwnd);
    std::atomic<LRESULT> result{-1};
    std::thread sender([&] { result = hub.Send(hwnd, WM_DOUBLE, 1, 0); });
    while (hub.Empty()) {
        std::this_thread::yield();
    }
    hub.RemoveLive(hwnd);
    sender.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(hub.Empty());
}

UINT Quick(LPVOID) {
    return 9;
}

TEST_F(UiTest, AThreadThatEndedLongAgoCanStillBeWaitedFor) {
    CWinThread* worker = AfxBeginThread(Quick, nullptr);
    ASSERT_NE(worker, nullptr);
    platform::WaitForSingleObject(worker->m_hThread, platform::INFINITE);
    EXPECT_EQ(WaitForThread(worker), TRUE);
    EXPECT_EQ(WaitForThread(worker), TRUE);
    EXPECT_EQ(worker->ExitCode(), 9U);
    EXPECT_EQ(WaitForThread(nullptr), TRUE);
}

TEST_F(UiTest, ThreadStartFailureGivesNullAndTheLastError) {
    kernel.failThreads = true;
    platform::SetLastError(0);
    EXPECT_EQ(AfxBeginThread(Quick, nullptr), nullptr);
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_NOT_ENOUGH_MEMORY);
}

// A wait releases the platform's thread at once; a thread nobody waits for
// keeps its handle until the ended objects are released.
TEST_F(UiTest, EndedThreadObjectsAreReleasedWithTheirHandles) {
    CWinThread* waited = AfxBeginThread(Quick, nullptr);
    WaitForThread(waited);
    EXPECT_EQ(kernel.OpenThreads(), 0U);
    EXPECT_TRUE(waited->HasEnded());  // the object outlives the wait
    WaitForThread(waited);            // and a second wait returns at once

    CWinThread* unwaited = AfxBeginThread(Quick, nullptr);
    while (!unwaited->HasEnded()) {
        std::this_thread::yield();
    }
    EXPECT_EQ(kernel.OpenThreads(), 1U);
    ReleaseEndedThreads();
    EXPECT_EQ(kernel.OpenThreads(), 0U);
}

// A window that starts a worker as it opens and, when told to, waits for it
// there; it keeps the thread object. The worker has ended before the wait,
// so the wait serves no step of the test.
class WorkerWindow : public CDialog {
  public:
    explicit WorkerWindow(bool wait) : CDialog(BasicTemplate("Worker")), m_bWait(wait) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_thread = AfxBeginThread(Quick, nullptr);
        while (!m_thread->HasEnded()) {
            std::this_thread::yield();
        }
        if (m_bWait) {
            WaitForThread(m_thread);
        }
        EndDialog(IDOK);
        return TRUE;
    }
    CWinThread* m_thread = nullptr;

  private:
    bool m_bWait;
};

// A window's thread object stays while the window and the code that ran it
// may look at it, and goes once that code is back in its loop and the thread
// was waited for: opening such a window again and again leaves nothing.
TEST_F(UiTest, AWaitedThreadObjectGoesOnceTheRunOfItsWindowIsOver) {
    TestDialog host(BasicTemplate());
    const std::size_t before = ThreadObjects();
    for (int round = 0; round < 200; ++round) {
        presenter.AddCall([&] {
            WorkerWindow window(true);
            window.DoModal();
            ASSERT_NE(window.m_thread, nullptr);
            EXPECT_EQ(window.m_thread->ExitCode(), 9U);
            EXPECT_EQ(WaitForThread(window.m_thread), TRUE);
            EXPECT_EQ(ThreadObjects(), before + 1);
        });
    }
    CWinThread* unwaited = nullptr;
    presenter.AddCall([&] {
        EXPECT_EQ(ThreadObjects(), before);
        WorkerWindow window(false);
        window.DoModal();
        unwaited = window.m_thread;
    });
    presenter.AddCall([&] {
        EXPECT_EQ(ThreadObjects(), before + 1) << "one nobody waited for stays";
        EXPECT_TRUE(unwaited->HasEnded());
        host.EndDialog(IDOK);
    });
    host.DoModal();
}

// A window whose worker runs for as long as the window is open, as a receive
// thread does: it hands the window a piece as it starts and one more as it
// stops, and it stops only when the window's close tells it to; the close
// then waits for it.
class ReceiverWindow : public CDialog {
  public:
    ReceiverWindow() : CDialog(BasicTemplate("Receiver")) {
        BindMessage(WM_PIECE, [this](WPARAM, LPARAM) {
            ++m_pieces;
            return 0;
        });
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_thread = AfxBeginThread(Receive, this);
        return TRUE;
    }
    void OnCancel() override {
        m_stop = true;
        m_stop.notify_one();
        m_runningAtClose = !m_thread->HasEnded();
        WaitForThread(m_thread);  // serves the worker's last piece
        CDialog::OnCancel();
    }
    CWinThread* m_thread = nullptr;
    int m_pieces = 0;
    bool m_runningAtClose = false;

  private:
    static UINT Receive(LPVOID param) {
        auto* self = static_cast<ReceiverWindow*>(param);
        ui::SendMessage(self->m_hWnd, WM_PIECE, 0, 0);
        self->m_stop.wait(false);
        ui::SendMessage(self->m_hWnd, WM_PIECE, 0, 0);
        return 9;
    }
    std::atomic<bool> m_stop{false};
};

// The normal case: the worker is still running when its window is closed
// (Esc or the close box). Opening and closing such a window again and again
// leaves no thread object behind.
TEST_F(UiTest, AWorkerRunningWhenItsWindowClosesLeavesNoThreadObject) {
    TestDialog host(BasicTemplate());
    const std::size_t before = ThreadObjects();
    for (int round = 0; round < 200; ++round) {
        presenter.AddCall([&, round] {
            ReceiverWindow window;
            EXPECT_EQ(window.DoModal(), IDCANCEL);
            EXPECT_TRUE(window.m_runningAtClose);
            EXPECT_EQ(window.m_pieces, 2);
            EXPECT_EQ(window.m_thread->ExitCode(), 9U);
            EXPECT_EQ(ThreadObjects(), before + 1) << "round " << round;
        });
        if (round % 2 == 0) {
            presenter.AddKey(Key::Escape);
        } else {
            presenter.AddCall([&] {
                const Rect box = *desktop.CloseBoxRect(desktop.ActiveWindow());
                desktop.Tap(box.left + 3, box.top + 3);
            });
        }
        // The next step is the next round, not something for the close's
        // wait to serve.
        presenter.AddWaitUntil([&] { return !desktop.WaitingForThread(); });
    }
    presenter.AddCall([&] {
        EXPECT_EQ(ThreadObjects(), before);
        EXPECT_EQ(kernel.OpenThreads(), 0U);
        host.EndDialog(IDOK);
    });
    host.DoModal();
}

}  // namespace
}  // namespace ui::test
