#include <array>
#include <cstdint>
#include <string>

#include "devices/dsk1.h"
#include "diag/diag_checks.h"
#include "diag/diag_result_dlg.h"
#include "diag/storage_identify.h"
#include "platform/api.h"
#include "platform/handle.h"

namespace {

// The result text: the identify lines and sizes as far as they could be
// read, then "OK." or "NG.".
std::string StorageResult() {
    const platform::UniqueHandle disk(
        platform::CreateFile(kDskDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL));
    if (!disk.valid()) {
        return "NG.\r\n";
    }
    const platform::UniqueLocal reply(platform::LocalAlloc(platform::LPTR, kStorageReplyBytes));
    if (reply.get() == nullptr) {
        return "NG.\r\n";
    }
    platform::DWORD returned = 0;
    if (platform::DeviceIoControl(disk.get(), kIdentifyCode, nullptr, 0, reply.get(),
                                  kStorageReplyBytes, &returned) == platform::FALSE) {
        return "NG.\r\n";
    }
    std::string result = FormatStorageIdentify(static_cast<const std::uint8_t*>(reply.get()));

    std::uint64_t freeToCaller = 0;
    std::uint64_t total = 0;
    std::uint64_t totalFree = 0;
    if (platform::GetDiskFreeSpaceEx("\\Mounted Volume", &freeToCaller, &total, &totalFree) ==
        platform::FALSE) {
        return result + "NG.\r\n";
    }
    return result + FormatStorageSizes(total, totalFree) + "OK.\r\n";
}

}  // namespace

void DiagStorageFunc(CDiagResultDlg* dlg) {
    dlg->SetResultText(StorageResult());
}
