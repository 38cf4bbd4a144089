// The "Audio" page and the muting radios in the real console, driven by taps
// and keys on a virtual unit.
#include <algorithm>
#include <functional>

#include "app/console_dlg.h"
#include "host/controls/controls_component.h"
#include "host/controls/nat_driver.h"
#include "test_support/audio_unit_fixture.h"
#include "test_support/wave_reader.h"
#include "ui/controls.h"

namespace audio_test {
namespace {

using test_support::AudioUnitTest;
using test_support::RisingEdges;
using test_support::SoundSpy;

using platform::DWORD;
using Kind = SoundSpy::Call::Kind;

constexpr int kTab = 1000;
constexpr int kMuteOff = 1020;
constexpr int kMuteOn = 1016;
constexpr int kDutySpin = 1031;
constexpr int kTone100 = 1037;
constexpr int kTone1k = 1039;
constexpr int kTone5k = 1041;
constexpr int kSweep = 1043;
constexpr int kPlay = 1006;
constexpr int kStop = 1007;
constexpr int kVolume = 1053;
constexpr int kPageVer = 0;
constexpr int kPageDiag = 2;
constexpr int kPageLcd = 4;
constexpr int kPageAudio = 5;

constexpr const char* kSoundOnly = "[sound]\ncard = false\n";

class ConsoleAudioTest : public AudioUnitTest {
  protected:
    void LoadConsole(const std::string& toml) {
        Load(toml, {{"\\Mounted Volume\\Vesk\\calib.dat", "calibrated"}});
    }
    void Step(std::function<void()> step) { presenter_.AddCall(std::move(step)); }
    // Runs the console until the steps are done (then it is cancelled).
    void Run() {
        CConsoleDlg console;
        console.DoModal();
        EXPECT_EQ(presenter_.PendingSteps(), 0U) << "steps never ran";
    }

    ui::WindowInfo Info(int id) {
        const auto info = desktop_->Describe(desktop_->FindControl(id));
        EXPECT_TRUE(info.has_value()) << "no control " << id;
        return info.value_or(ui::WindowInfo{});
    }
    template <class T>
    T* Control(int id) {
        return static_cast<T*>(ui::CWnd::FromHandle(desktop_->FindControl(id)));
    }
    void Tap(int id) {
        const ui::WindowInfo info = Info(id);
        ASSERT_TRUE(info.visible) << "control " << id << " is hidden";
        desktop_->Tap((info.screenRect.left + info.screenRect.right) / 2,
                      (info.screenRect.top + info.screenRect.bottom) / 2);
    }
    void SelectPage(int index) {
        auto* tab = Control<ui::CTabCtrl>(kTab);
        ui::Rect r;
        ASSERT_TRUE(tab->GetItemRect(index, &r));
        tab->ClientToScreen(&r);
        desktop_->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    int SliderPos() { return Control<ui::CSliderCtrl>(kVolume)->GetPos(); }
    std::size_t VolumeSets() const {
        return static_cast<std::size_t>(
            std::count_if(spy_->calls.begin(), spy_->calls.end(),
                          [](const SoundSpy::Call& c) { return c.kind == Kind::SetVolume; }));
    }
};

TEST_F(ConsoleAudioTest, StartUpSetsTheVolumeAndTheMutingStateFromTheLevel) {
    struct Case {
        const char* nat;
        int checked;  // the muting radio checked
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"level = 0", kMuteOff, {}},
        {"level = 1", kMuteOn, {}},
        {"level = 5", kMuteOn, {}},
        {"level = -1", kMuteOn, {}},
        {"absent = true",
         kMuteOn,
         {"CreateFile(NAT1:) failed.", "VESK_NAVATT_IOCTL_GET_LEVEL error!!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nat);
        LoadConsole(std::string(kSoundOnly) + "volume = 0x12341234\n[nat]\n" + c.nat + "\n");
        Step([&] {
            EXPECT_EQ(Info(c.checked).check, ui::BST_CHECKED);
            EXPECT_EQ(Info(c.checked == kMuteOn ? kMuteOff : kMuteOn).check, ui::BST_UNCHECKED);
            EXPECT_EQ(Info(kTone100).check, ui::BST_CHECKED);
            EXPECT_EQ(SliderPos(), 4);
            EXPECT_EQ(output_->Volume(), 0x99999999U);
            EXPECT_FALSE(Info(kVolume).visible);
        });
        Run();
        EXPECT_EQ(BoxTexts(), c.boxes);
    }
}

TEST_F(ConsoleAudioTest, TheMutingRadiosSendTheirCodes) {
    LoadConsole(kSoundOnly);
    Step([&] { SelectPage(kPageDiag); });
    Step([&] { Tap(kMuteOn); });
    Step([&] { Tap(kMuteOff); });
    Step([&] { Tap(kMuteOn); });
    Run();
    EXPECT_EQ(host::controls::NatOf(Unit())->CodeLog(), (std::vector<DWORD>{2, 1, 0, 1}));
    EXPECT_EQ(host::controls::NatOf(Unit())->Level(), 1);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ConsoleAudioTest, PlayPlaysTheLastCheckedChoiceLooped) {
    LoadConsole(kSoundOnly);
    struct Case {
        const char* name;
        std::vector<int> checked;  // set directly, so several may be checked
        std::size_t samples;
        int cycles;  // rising zero crossings in one loop; -1: silence
    };
    const Case cases[] = {
        {"100Hz at start", {kTone100}, 480, 1},
        {"1KHz", {kTone1k}, 48, 1},
        {"two checked: the later wins", {kTone1k, kTone5k}, 48, 5},
        {"sweep", {kTone100, kSweep}, 288000, -2},
        {"none checked", {}, 48, -1},
    };
    Step([&] { SelectPage(kPageAudio); });
    for (const auto& c : cases) {
        Step([&] {
            for (int id = kTone100; id <= kSweep; ++id) {
                Control<ui::CButton>(id)->SetCheck(ui::BST_UNCHECKED);
            }
            for (const int id : c.checked) {
                Control<ui::CButton>(id)->SetCheck(ui::BST_CHECKED);
            }
            spy_->calls.clear();
            Tap(kPlay);
        });
        Step([&] {
            SCOPED_TRACE(c.name);
            ASSERT_EQ(spy_->calls.size(), 2U);
            EXPECT_EQ(spy_->calls[0].image, nullptr);
            EXPECT_EQ(spy_->calls[0].flags, platform::SND_ASYNC);
            EXPECT_EQ(spy_->calls[1].flags, 0x0DU);
            const auto now = output_->Recorder().Current();
            EXPECT_TRUE(now.looping);
            ASSERT_EQ(now.samples.size(), c.samples);
            std::vector<std::int16_t> loop = now.samples;
            loop.insert(loop.begin(), loop.back());
            const auto crossings = static_cast<int>(RisingEdges(loop).size());
            if (c.cycles == -1) {
                EXPECT_TRUE(std::all_of(loop.begin(), loop.end(), [](auto s) { return s == 0; }));
            } else if (c.cycles > 0) {
                EXPECT_EQ(crossings, c.cycles);
            } else {
                EXPECT_GT(crossings, 5000);  // the sweep
            }
        });
    }
    Run();
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ConsoleAudioTest, StopWithNothingPlayingShowsNothing) {
    LoadConsole(kSoundOnly);
    Step([&] { SelectPage(kPageAudio); });
    Step([&] { Tap(kStop); });
    Step([&] {
        EXPECT_FALSE(output_->Recorder().Current().playing);
        Tap(kPlay);
    });
    Step([&] {
        EXPECT_TRUE(output_->Recorder().Current().playing);
        Tap(kStop);
    });
    Step([&] { EXPECT_FALSE(output_->Recorder().Current().playing); });
    Run();
    EXPECT_TRUE(boxes_.empty());
}

// Every slider position through the keys, down to "Min" and up to "Max".
TEST_F(ConsoleAudioTest, EverySliderPositionSetsItsVolume) {
    LoadConsole(kSoundOnly);
    const std::uint32_t volumes[] = {65535, 58977, 52424, 45871, 39318, 32765,
                                     26212, 19659, 13106, 6553,  0};
    Step([&] { SelectPage(kPageAudio); });
    Step([&] { Control<ui::CSliderCtrl>(kVolume)->SetFocus(); });
    std::vector<int> positions = {5, 6, 7, 8, 9, 10};
    for (int p = 9; p >= 0; --p) {
        positions.push_back(p);
    }
    int previous = 4;
    for (const int p : positions) {
        presenter_.AddKey(p > previous ? ui::Key::Down : ui::Key::Up);
        Step([&, p] {
            EXPECT_EQ(SliderPos(), p);
            EXPECT_EQ(output_->Volume(), volumes[p] * 0x10001U) << "position " << p;
        });
        previous = p;
    }
    Run();
    EXPECT_TRUE(boxes_.empty());
}

// A move the wave output refuses: the message with the refusal's code, the
// slider where it was moved to, the unit's volume as it was.
TEST_F(ConsoleAudioTest, AVolumeRefusedOnASliderMoveIsReported) {
    LoadConsole(kSoundOnly);
    Step([&] { SelectPage(kPageAudio); });
    Step([&] {
        Control<ui::CSliderCtrl>(kVolume)->SetFocus();
        ASSERT_TRUE(Unit().Set("sound.fail.waveoutsetvolume", "31") == std::nullopt);
        boxes_.clear();
    });
    presenter_.AddKey(ui::Key::Down);
    Step([&] {
        EXPECT_EQ(SliderPos(), 5);
        EXPECT_EQ(output_->Volume(), 0x99999999U);
    });
    Run();
    // Every scroll notification applies the volume: the step's and the end
    // of the scroll's.
    const std::string refused = "waveOutSetVolume(WAVE_MAPPER) returned 31.";
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{refused, refused}));
    for (const auto& box : boxes_) {
        EXPECT_EQ(box.type, ui::MB_ICONQUESTION);
    }
}

TEST_F(ConsoleAudioTest, TheDutySpinLeavesTheVolumeAlone) {
    LoadConsole(kSoundOnly);
    std::size_t before = 0;
    Step([&] { SelectPage(kPageLcd); });
    Step([&] {
        before = VolumeSets();
        const ui::WindowInfo spin = Info(kDutySpin);
        desktop_->Tap((spin.screenRect.left + spin.screenRect.right) / 2, spin.screenRect.top + 2);
    });
    Step([&] {
        EXPECT_EQ(VolumeSets(), before);
        EXPECT_EQ(output_->Volume(), 0x99999999U);
    });
    Run();
}

TEST_F(ConsoleAudioTest, EveryVisitToThePageStartsAtTheDefaultVolume) {
    LoadConsole(kSoundOnly);
    Step([&] { SelectPage(kPageAudio); });
    Step([&] { Control<ui::CSliderCtrl>(kVolume)->SetFocus(); });
    for (int i = 0; i < 5; ++i) {
        presenter_.AddKey(ui::Key::Down);
    }
    Step([&] {
        EXPECT_EQ(SliderPos(), 9);
        EXPECT_EQ(output_->Volume(), 6553U * 0x10001U);
        SelectPage(kPageVer);
    });
    Step([&] {
        EXPECT_EQ(output_->Volume(), 6553U * 0x10001U);  // leaving changes nothing
        spy_->calls.clear();
        SelectPage(kPageAudio);
    });
    Step([&] {
        EXPECT_EQ(SliderPos(), 4);
        EXPECT_EQ(output_->Volume(), 0x99999999U);
        // Set to the default, then read back.
        ASSERT_EQ(spy_->calls.size(), 2U);
        EXPECT_EQ(spy_->calls[0].kind, Kind::SetVolume);
        EXPECT_EQ(spy_->calls[0].volume, 0x99999999U);
        EXPECT_EQ(spy_->calls[1].kind, Kind::GetVolume);
    });
    Run();
    EXPECT_TRUE(boxes_.empty());
}

// When the volume cannot be set, showing the page reads back what the unit
// has and moves the slider there.
TEST_F(ConsoleAudioTest, TheReadBackMovesTheSliderToTheUnitsVolume) {
    struct Case {
        const char* unitVolume;
        int position;
    };
    const Case cases[] = {
        {"0x00001998", 10}, {"0x00001999", 9}, {"0xFFFF0000", 10},
        {"0x0000FFFF", 0},  {"0x0000FFFE", 0}, {"0x00009999", 4},
    };
    const std::string failure = "waveOutSetVolume(WAVE_MAPPER) returned 1.";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unitVolume);
        LoadConsole(std::string(kSoundOnly) + "volume = " + c.unitVolume +
                    "\n[sound.fail]\nwaveoutsetvolume = 1\n");
        Step([&] {
            EXPECT_EQ(SliderPos(), 4);
            SelectPage(kPageAudio);
        });
        Step([&] { EXPECT_EQ(SliderPos(), c.position); });
        Run();
        // At start and on the visit; both with the question mark.
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{failure, failure}));
        for (const auto& box : boxes_) {
            EXPECT_EQ(box.type, ui::MB_ICONQUESTION);
        }
    }
}

TEST_F(ConsoleAudioTest, AFailedReadBackKeepsTheSlider) {
    LoadConsole(std::string(kSoundOnly) + "[sound.fail]\nwaveoutgetvolume = 8\n");
    Step([&] { SelectPage(kPageAudio); });
    Step([&] {
        EXPECT_EQ(SliderPos(), 4);
        EXPECT_EQ(output_->Volume(), 0x99999999U);
    });
    Run();
    ASSERT_EQ(BoxTexts(), (std::vector<std::string>{"waveOutGetVolume(WAVE_MAPPER) returned 8."}));
    EXPECT_EQ(boxes_[0].type, ui::MB_ICONQUESTION);
}

}  // namespace
}  // namespace audio_test
