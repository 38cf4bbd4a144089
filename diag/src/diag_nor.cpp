#include "devices/nor_flash.h"
#include "diag/diag_checks.h"
#include "diag/diag_result_dlg.h"
#include "diag/kernel_mapping.h"
#include "diag/nor_sum.h"
#include "platform/api.h"

namespace {

constexpr std::size_t kNorWords = kNorBytes / 2;

}  // namespace

void DiagNorFunc(CDiagResultDlg* dlg) {
    dlg->SetResultText("NOR check start... ");

    KernelMapping flash;
    if (!flash.Reserve(kNorBytes)) {
        platform::NKDbgPrintf("VirtualAlloc failed!::DiagNorFunc\r\n");
        dlg->SetResultText("NOR check start... NG!\r\nVirtualAlloc() failed.");
        return;
    }
    if (!flash.Map(kNorAddress)) {
        platform::NKDbgPrintf("VirtualCopy failed!::DiagNorFunc\r\n");
        dlg->SetResultText("NOR check start... NG!\r\nVirtualCopy() failed.");
        return;
    }
    const std::uint16_t sum = SumLittleEndianWords(flash.Address(), kNorWords);
    // The flash was read correctly: a failed release is no flash fault and
    // leaves the result as it is.
    if (flash.Release() == platform::FALSE) {
        platform::NKDbgPrintf("VirtualFree failed!::DiagNorFunc\r\n");
    }
    dlg->SetResultText(platform::Format("NOR check start... OK.\r\nSUM:0x%04X", unsigned{sum}));
}
