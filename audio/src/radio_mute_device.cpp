#include "audio/radio_mute_device.h"

#include "devices/nat1.h"
#include "platform/api.h"
#include "ui/message_box.h"

using namespace platform;

RadioMuteDevice::~RadioMuteDevice() {
    if (m_hDevice != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hDevice);
    }
}

HANDLE RadioMuteDevice::Open() {
    if (m_hDevice == INVALID_HANDLE_VALUE) {
        m_hDevice = CreateFile(kNatDeviceName, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        if (m_hDevice == INVALID_HANDLE_VALUE) {
            ui::AfxMessageBox("CreateFile(NAT1:) failed.", ui::MB_OK);
        }
    }
    return m_hDevice;
}

void RadioMuteDevice::SetMuteOff() {
    DeviceIoControl(Open(), VESK_NAVATT_IOCTL_MUTE_OFF, nullptr, 0, nullptr, 0, nullptr);
}

void RadioMuteDevice::SetMuteOn() {
    DeviceIoControl(Open(), VESK_NAVATT_IOCTL_MUTE_ON, nullptr, 0, nullptr, 0, nullptr);
}

int RadioMuteDevice::GetLevel() {
    std::int32_t level = 0;
    DWORD returned = 0;
    if (DeviceIoControl(Open(), VESK_NAVATT_IOCTL_GET_LEVEL, nullptr, 0, &level, sizeof level,
                        &returned) == FALSE) {
        ui::AfxMessageBox("VESK_NAVATT_IOCTL_GET_LEVEL error!!", ui::MB_ICONINFORMATION);
        return -1;
    }
    return level;
}
