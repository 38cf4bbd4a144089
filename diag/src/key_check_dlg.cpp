#include "diag/key_check_dlg.h"

#include "devices/gpio.h"
#include "devices/intc.h"
#include "diag/kernel_mapping.h"
#include "platform/api.h"

namespace {

constexpr int kPowerKeyId = 1093;
constexpr int kGuideKeyId = 1094;
constexpr int kKeyCheckOkId = 1095;

// Word indices of the registers.
constexpr std::size_t kFallingEdge = kGpioFallingEdge / 4;
constexpr std::size_t kEdgeStatus = kGpioEdgeStatus / 4;
constexpr std::size_t kIcmr = kIntcIcmr / 4;

constexpr std::uint32_t kPowerKeyBit = GpioPinMask(kPowerKeyPin);

constexpr ui::UINT_PTR kPollTimer = 1;

// Maps one register block; the debug lines name the member it is for.
volatile std::uint32_t* MapBlock(std::uint32_t address, platform::DWORD size,
                                 const char* allocFailed, const char* copyFailed) {
    KernelMapping block;
    if (!block.Reserve(size)) {
        platform::NKDbgPrintf("%s", allocFailed);
        return nullptr;
    }
    if (!block.Map(address)) {
        platform::NKDbgPrintf("%s", copyFailed);
        return nullptr;
    }
    return static_cast<volatile std::uint32_t*>(block.Detach());
}

// Registers change by whole words: the other bits are written back as read.
void SetBits(volatile std::uint32_t* reg, std::uint32_t bits) {
    *reg = *reg | bits;
}
void ClearBits(volatile std::uint32_t* reg, std::uint32_t bits) {
    *reg = *reg & ~bits;
}

}  // namespace

CKeyCheckDlg::CKeyCheckDlg(ui::CWnd* parent) : ui::CDialog(Template137(), parent) {
    BindClicked(kKeyCheckOkId, &CKeyCheckDlg::OnOkClicked);

    m_tpGpioReg = MapBlock(kGpioAddress, kGpioBytes, "VirtualAlloc failed!::m_tpGpioReg\r\n",
                           "VirtualCopy failed!::m_tpGpioReg\r\n");
    m_tpIntcReg = MapBlock(kIntcAddress, kIntcBytes, "VirtualAlloc failed!::m_tpIntcReg\r\n",
                           "VirtualCopy failed!::m_tpIntcReg\r\n");

    // While the console exists the power key raises no interrupt.
    if (m_tpGpioReg != nullptr) {
        ClearBits(&m_tpGpioReg[kFallingEdge], kPowerKeyBit);
    }
    if (m_tpIntcReg != nullptr) {
        platform::NKDbgPrintf("ICMR:%08x\r\n", static_cast<unsigned>(m_tpIntcReg[kIcmr]));
        ClearBits(&m_tpIntcReg[kIcmr], kPowerKeySource);
    }
}

// The pending edge is cleared before detection is enabled again, and the
// interrupt is unmasked last.
CKeyCheckDlg::~CKeyCheckDlg() {
    if (m_tpGpioReg != nullptr) {
        SetBits(&m_tpGpioReg[kEdgeStatus], kPowerKeyBit);
        SetBits(&m_tpGpioReg[kFallingEdge], kPowerKeyBit);
        if (ReleaseMapping(m_tpGpioReg) == platform::FALSE) {
            platform::NKDbgPrintf("VirtualFree failed!::m_tpGpioReg\r\n");
        }
        m_tpGpioReg = nullptr;
    }
    if (m_tpIntcReg != nullptr) {
        SetBits(&m_tpIntcReg[kIcmr], kPowerKeySource);
        if (ReleaseMapping(m_tpIntcReg) == platform::FALSE) {
            platform::NKDbgPrintf("\r\nVirtualFree failed!::m_tpIntcReg\r\n");
        }
        m_tpIntcReg = nullptr;
    }
}

ui::DialogTemplate CKeyCheckDlg::Template137() {
    using namespace ui;
    DialogTemplate t;
    t.id = 137;
    t.caption = "Key check";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.cx = 103;
    t.cy = 65;
    t.items = {
        AutoRadioButton(kPowerKeyId, "POWER KEY", 10, 10, 50, 10,
                        BS_LEFTTEXT | WS_GROUP | WS_TABSTOP),
        AutoRadioButton(kGuideKeyId, "GUIDE  KEY", 10, 25, 50, 10, BS_LEFTTEXT),
        PushButton(kKeyCheckOkId, "OK", 55, 45, 40, 15, WS_GROUP),
    };
    return t;
}

ui::BOOL CKeyCheckDlg::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    m_pPowerKey = nullptr;
    m_pGuideKey = nullptr;
    if (SetTimer(kPollTimer, 100) == 0) {
        platform::NKDbgPrintf("SetTimer failed!::OnInitDialog\r\n");
        return ui::TRUE;
    }
    m_pPowerKey = static_cast<ui::CButton*>(GetDlgItem(kPowerKeyId));
    m_pGuideKey = static_cast<ui::CButton*>(GetDlgItem(kGuideKeyId));
    return ui::TRUE;
}

void CKeyCheckDlg::OnTimer(ui::UINT_PTR id) {
    if (m_tpGpioReg != nullptr && m_pPowerKey != nullptr && m_pGuideKey != nullptr) {
        m_pPowerKey->SetCheck(GpioPinHigh(m_tpGpioReg, kPowerKeyPin) ? ui::BST_CHECKED
                                                                     : ui::BST_UNCHECKED);
        m_pGuideKey->SetCheck(GpioPinHigh(m_tpGpioReg, kGuideKeyPin) ? ui::BST_CHECKED
                                                                     : ui::BST_UNCHECKED);
    }
    ui::CDialog::OnTimer(id);
}

void CKeyCheckDlg::OnClose() {
    ui::CDialog::OnClose();
}

void CKeyCheckDlg::OnOkClicked() {
    EndDialog(0);
}
