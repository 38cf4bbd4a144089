#include <cstdint>
#include <string>

#include "devices/gpio.h"
#include "devices/gps1.h"
#include "diag/diag_checks.h"
#include "diag/diag_result_dlg.h"
#include "diag/kernel_mapping.h"
#include "platform/api.h"
#include "platform/handle.h"
#include "ui/message_box.h"

namespace {

// Shows an error until the user dismisses it. Callers format it with the
// last-error code of the call that just failed.
void ShowError(const std::string& text) {
    ui::AfxMessageBox(text, ui::MB_OK | ui::MB_ICONQUESTION);
}

// The variant decides the caption; false after the error was shown.
bool ShowVariant(CDiagResultDlg* dlg) {
    KernelMapping gpio;
    if (!gpio.Reserve(kGpioBytes)) {
        ShowError(
            platform::Format("VirtualAlloc() failed. errcode=0x%x\r\n", platform::GetLastError()));
        return false;
    }
    if (!gpio.Map(kGpioAddress)) {
        ShowError(
            platform::Format("VirtualCopy() failed. errcode=0x%x\r\n", platform::GetLastError()));
        return false;
    }
    const bool corvin =
        GpioPinHigh(static_cast<const volatile std::uint32_t*>(gpio.Address()), kVariantPin);
    dlg->SetWindowText(corvin ? "GPS check / Corvin" : "GPS check / Tamsel");
    gpio.Release();
    return true;
}

// The module's version text, or nothing after the error was shown.
bool ReadVersion(std::string* version) {
    const platform::UniqueLocal buffer(platform::LocalAlloc(platform::LPTR, kGpsVersionBufferSize));
    if (buffer.get() == nullptr) {
        ShowError(
            platform::Format("LocalAlloc() failed. errcode = 0x%x\r\n", platform::GetLastError()));
        return false;
    }
    const platform::UniqueHandle gps(
        platform::CreateFile(kGpsDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::OPEN_EXISTING, 0));
    if (!gps.valid()) {
        ShowError(platform::Format("Do not open GPS driver!! errcode = 0x%x\r\n",
                                   platform::GetLastError()));
        return false;
    }
    platform::DWORD returned = 0;
    if (platform::DeviceIoControl(gps.get(), VESK_GPS_IOCTL_GET_GPS_VERSION, nullptr, 0,
                                  buffer.get(), kGpsVersionBufferSize,
                                  &returned) == platform::FALSE) {
        ShowError(platform::Format(
            "DeviceIoControl(VESK_GPS_IOCTL_GET_GPS_VERSION) failed.\r\nerrcode = 0x%x\r\n",
            platform::GetLastError()));
        return false;
    }
    // Never past the buffer, whatever the driver left in it.
    *version = platform::WidenCodePage(buffer.get(), kGpsVersionBufferSize - 1);
    return true;
}

}  // namespace

void DiagGpsFunc(CDiagResultDlg* dlg) {
    std::string version;
    if (!ShowVariant(dlg) || !ReadVersion(&version)) {
        dlg->SetResultText("GPS test NG.\r\n");
        return;
    }
    dlg->SetResultText("GPS test OK.\r\n\r\n[Version]\r\n" + version);
}
