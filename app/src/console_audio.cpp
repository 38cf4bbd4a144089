// The "Audio" page: tone playback, the volume slider and its read-back.
#include <array>

#include "app/console_dlg.h"
#include "audio/tone_choice.h"
#include "audio/tone_player.h"
#include "audio/volume_map.h"
#include "audio/wave_volume.h"

namespace {

constexpr int kVolumeSliderId = 1053;

}  // namespace

void CConsoleDlg::OnPlay() {
    std::array<bool, kToneChoices.size()> checked{};
    for (std::size_t i = 0; i < checked.size(); ++i) {
        checked[i] = m_pRadioTone[i] != nullptr && m_pRadioTone[i]->GetCheck() == ui::BST_CHECKED;
    }
    PlayToneChoice(m_toneGenerator, LastCheckedChoice(checked));
}

void CConsoleDlg::OnStop() {
    StopTone();
}

void CConsoleDlg::OnVolumeScroll() {
    m_wVolume = SliderPositionToVolume(m_sliderVolume.GetPos());
    ApplyVolume();
}

void CConsoleDlg::OnVScroll(ui::UINT code, ui::UINT pos, ui::CWnd* bar) {
    // The duty spin scrolls this window too; only the slider sets the volume.
    if (bar != nullptr && bar->GetDlgCtrlID() == kVolumeSliderId) {
        OnVolumeScroll();
    }
    ui::CDialog::OnVScroll(code, pos, bar);
}

void CConsoleDlg::ResetVolume() {
    m_wVolume = kStartVolume;
    m_sliderVolume.SetPos(kStartSliderPosition);
    ApplyVolume();
}

ui::BOOL CConsoleDlg::ApplyVolume() {
    return ApplyWaveVolume(m_wVolume);
}

void CConsoleDlg::ReadBackVolume() {
    if (const auto volume = ReadWaveVolume()) {
        m_wVolume = *volume;
        m_sliderVolume.SetPos(VolumeToSliderPosition(*volume));
    }
}
