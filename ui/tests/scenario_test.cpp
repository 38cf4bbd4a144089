// Windows shaped like the system's: a full-screen pen test window that
// draws as the pen moves and closes on a quick second tap, an indicator
// window polled by a timer, and a worker that keeps writing into a window
// while the window closes and waits for it.
#include <atomic>
#include <cstdlib>

#include "platform/text.h"
#include "ui_fixture.h"

namespace ui::test {
namespace {

// A black full-screen window: every pen contact is a white dot with the
// coordinates as three green digits in the corner; a second pen-down within
// the 300 ms timer and 4 pixels of the last point closes it.
class PenTestDialog : public CDialog {
  public:
    PenTestDialog() : CDialog(Template()) {}
    static DialogTemplate Template() {
        DialogTemplate t;
        t.style = WS_POPUP;
        t.cx = 162;
        t.cy = 121;
        return t;
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        MoveWindow(0, 0, 320, 240);
        return TRUE;
    }

  protected:
    void OnPaint() override {
        CPaintDC dc(this);
        dc.FillSolidRect(Rect{0, 0, 320, 240}, RGB(0, 0, 0));
    }
    void OnLButtonDown(UINT flags, Point p) override {
        if (pending_ && std::abs(last_.x - p.x) < 5 && std::abs(last_.y - p.y) < 5) {
            KillTimer(timer_);
            EndDialog(IDCANCEL);  // the handler goes on all the same
        }
        timer_ = SetTimer(1, 300);
        pending_ = true;
        last_ = p;
        SetCapture();
        Dot(p);
        CDialog::OnLButtonDown(flags, p);
    }
    void OnMouseMove(UINT flags, Point p) override {
        if (last_.x >= 0 && last_.y >= 0) {
            Dot(p);
        }
        CDialog::OnMouseMove(flags, p);
    }
    void OnLButtonUp(UINT flags, Point p) override {
        ReleaseCapture();
        CDialog::OnLButtonUp(flags, p);
    }
    void OnTimer(UINT_PTR id) override {
        pending_ = false;
        KillTimer(timer_);
        CDialog::OnTimer(id);
    }
    void OnLButtonDblClk(UINT flags, Point p) override {
        CDialog::OnLButtonDblClk(flags, p);
        EndDialog(IDCANCEL);
    }

  private:
    void Dot(Point p) {
        CClientDC dc(this);
        dc.SetPixel(p.x, p.y, RGB(255, 255, 255));
        last_ = p;
        dc.SetBkColor(RGB(0, 0, 0));
        dc.SetTextColor(RGB(0, 255, 0));
        Rect x{295, 210, 329, 224};
        dc.DrawText(platform::Format("%03d", p.x).substr(0, 3), &x, 0);
        Rect y{295, 225, 329, 239};
        dc.DrawText(platform::Format("%03d", p.y).substr(0, 3), &y, 0);
    }
    Point last_{-1, -1};
    bool pending_ = false;
    UINT_PTR timer_ = 0;
};

bool HasGreen(const Framebuffer& fb, const Rect& r) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (GreenOf(fb.GetPixel(x, y)) > 128 && RedOf(fb.GetPixel(x, y)) < 64) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(UiTest, ThePenTestWindowDrawsWhileThePenMovesAndClosesOnADoubleTap) {
    PenTestDialog dlg;
    presenter.AddCall([&] {
        EXPECT_EQ(presenter.LastFrame().GetPixel(160, 120), MakeRgb(0, 0, 0));
        desktop.PenDown(7, 45);
        desktop.PenMove(20, 50);
        desktop.PenMove(-30, 300);  // captured: outside the screen
        desktop.PenUp(-30, 300);
    });
    presenter.AddCall([&] {
        const Framebuffer& frame = presenter.LastFrame();
        EXPECT_EQ(frame.GetPixel(7, 45), MakeRgb(255, 255, 255));
        EXPECT_EQ(frame.GetPixel(20, 50), MakeRgb(255, 255, 255));
        EXPECT_TRUE(HasGreen(frame, {295, 210, 320, 240}));
        EXPECT_TRUE(dlg.IsRunning());
    });
    presenter.AddWait(400);  // the tap timer runs out: far taps do nothing
    presenter.AddTap(100, 100);
    presenter.AddCall([&] { clock.Advance(100); });
    presenter.AddEvent({InputEvent::Kind::PenDown, 104, 96, Key::None, {}});  // closes
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(desktop.NextTimerDue().has_value());
}

// Two indicator radios that a 100 ms timer sets from "pin levels".
class IndicatorDialog : public CDialog {
  public:
    IndicatorDialog() : CDialog(Template()) {}
    static DialogTemplate Template() {
        DialogTemplate t = BasicTemplate("Key check");
        t.cx = 103;
        t.cy = 65;
        t.items.push_back(AutoRadioButton(1093, "POWER KEY", 10, 10, 50, 10, BS_LEFTTEXT));
        t.items.push_back(AutoRadioButton(1094, "GUIDE  KEY", 10, 25, 50, 10, BS_LEFTTEXT));
        t.items.push_back(PushButton(1095, "OK", 55, 45, 40, 15));
        return t;
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (SetTimer(1, 100) == 0) {
            return TRUE;
        }
        power_ = GetDlgItem(1093);
        guide_ = GetDlgItem(1094);
        BindClicked(1095, [this] { EndDialog(0); });
        return TRUE;
    }
    std::atomic<unsigned> pins{0};

  protected:
    void OnTimer(UINT_PTR id) override {
        static_cast<CButton*>(power_)->SetCheck((pins & 1U) != 0 ? 1 : 0);
        static_cast<CButton*>(guide_)->SetCheck((pins & 4U) != 0 ? 1 : 0);
        CDialog::OnTimer(id);
    }

  private:
    CWnd* power_ = nullptr;
    CWnd* guide_ = nullptr;
};

TEST_F(UiTest, IndicatorsFollowTheTimerAndATapLastsOnlyUntilTheNextTick) {
    IndicatorDialog dlg;
    for (int run = 0; run < 2; ++run) {  // the same object runs again
        presenter.AddCall([&] { dlg.pins = 5; });
        presenter.AddWait(100);
        presenter.AddCall([&] {
            EXPECT_EQ(Info(1093).check, 1);
            EXPECT_EQ(Info(1094).check, 1);
            dlg.pins = 0;
            TapControl(1093);
        });
        presenter.AddCall([&] { EXPECT_EQ(Info(1093).check, 1); });
        presenter.AddWait(100);
        presenter.AddCall([&] {
            EXPECT_EQ(Info(1093).check, 0);
            EXPECT_EQ(Info(1094).check, 0);
        });
        StepTap(1095);
        EXPECT_EQ(dlg.DoModal(), 0);
    }
}

// A worker that keeps writing into a window's edit (each write a call into
// the UI thread) until the window tells it to stop, the way a receive
// thread reports what it reads; the window stops it and waits when it closes.
class WriterDialog : public CDialog {
  public:
    WriterDialog() : CDialog(Template()) {}
    static DialogTemplate Template() {
        DialogTemplate t = BasicTemplate("Writer");
        t.items.push_back(EditText(1087, 5, 5, 60, 12, ES_READONLY));
        t.items.push_back(PushButton(1001, "OK", 5, 30, 40, 15));
        return t;
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1087, m_edit); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_thread = AfxBeginThread(Writer, this);
        BindClicked(1001, [this] { Close(); });
        return TRUE;
    }
    void OnCancel() override {
        Close();
        CDialog::OnCancel();
    }
    CEdit m_edit;
    std::atomic<bool> m_stop{false};
    std::atomic<int> writes{0};
    CWinThread* m_thread = nullptr;

  private:
    void Close() {
        m_stop = true;
        WaitForThread(m_thread);
        EndDialog(0);
    }
    static UINT Writer(LPVOID param) {
        auto* self = static_cast<WriterDialog*>(param);
        while (!self->m_stop) {
            self->m_edit.SetWindowText(platform::Format("0x%04X", self->writes.load()));
            ++self->writes;
        }
        return 0;
    }
};

TEST_F(UiTest, AWindowClosingWhileItsWorkerWritesIntoItWaitsForItSafely) {
    for (bool viaButton : {true, false}) {
        WriterDialog dlg;
        presenter.AddWaitUntil([&] { return dlg.writes > 20; });
        if (viaButton) {
            StepTap(1001);
        } else {
            presenter.AddKey(Key::Escape);
        }
        dlg.DoModal();
        ASSERT_NE(dlg.m_thread, nullptr);
        EXPECT_TRUE(dlg.m_thread->HasEnded());
        EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr);
        EXPECT_GT(dlg.writes.load(), 20);
    }
}

}  // namespace
}  // namespace ui::test
