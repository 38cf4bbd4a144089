// "Ship" page: returns the navigation application to its delivery state.
// Copies and deletions are not checked: whatever is missing is simply not
// there to restore or delete, and the user is told "Initialize OK." anyway.
#include <array>
#include <string>
#include <string_view>

#include "app/console_dlg.h"
#include "devices/log1.h"
#include "platform/api.h"
#include "platform/handle.h"
#include "ui/message_box.h"

using namespace platform;

namespace {

struct Restore {
    const char* from;
    const char* to;
};

constexpr std::array<Restore, 3> kRestores = {{
    {"\\Mounted Volume2\\Pathkit.ini", "\\Mounted Volume\\Vesk\\plova\\Pathkit.ini"},
    {"\\Mounted Volume2\\SystemPrefs.xml",
     "\\Mounted Volume\\Vesk\\plova\\Settings\\SystemPrefs.xml"},
    {"\\Mounted Volume2\\OwnerInfo.xml", "\\Mounted Volume\\Vesk\\plova\\Settings\\OwnerInfo.xml"},
}};

constexpr std::array<const char*, 9> kDeletions = {
    "\\Mounted Volume2\\.vesk",
    "\\Mounted Volume\\Vesk\\plova\\unit.xml",
    "\\Mounted Volume\\Vesk\\plova\\roadfeed.pil",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\History.storage",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\Bookmarks.storage",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\Profile.xml",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\Profile.old",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\ProfileLocale.xml",
    "\\Mounted Volume\\Vesk\\plova\\Settings\\ProfileLocale.old",
};

constexpr std::string_view kRoutesFolder = "\\Mounted Volume\\Vesk\\plova\\Settings\\Routes\\";
constexpr std::string_view kRoutesMask = "*.rte";
constexpr std::string_view kLogFolder = "\\Mounted Volume2\\Log\\";
constexpr std::string_view kLogMask = "*.log";

// Deletes every file in folder that matches mask, in the order the file
// system returns them. Folders are left alone. A name too long to join its
// folder within the target's path buffer is skipped with a debug line rather
// than cut into another file's name.
void DeleteMatchingFiles(std::string_view folder, std::string_view mask) {
    std::string pattern(folder);
    pattern += mask;
    WIN32_FIND_DATA data;
    const UniqueFind find(FindFirstFile(pattern, &data));
    if (!find.valid()) {
        return;
    }
    const std::size_t folderLength = WideLength(folder);
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        std::string path(folder);
        path += data.cFileName;
        if (folderLength + WideLength(data.cFileName) >= MAX_PATH) {
            NKDbgPrintf("Path too long!::InitializeForShipping %s\r\n", path.c_str());
            continue;
        }
        DeleteFile(path);
    } while (FindNextFile(find.get(), &data) != FALSE);
}

}  // namespace

void CConsoleDlg::InitializeForShipping() {
    if (ui::AfxMessageBox("Would you like to start initialize?",
                          ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION) != ui::IDOK) {
        return;
    }
    for (const Restore& r : kRestores) {
        CopyFile(r.from, r.to, FALSE);
    }
    for (const char* path : kDeletions) {
        DeleteFile(path);
    }
    DeleteMatchingFiles(kRoutesFolder, kRoutesMask);
    {
        const UniqueHandle log(CreateFile(kLogDeviceName, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
        if (log.valid()) {
            // Only a plain TRUE means logging has stopped; the files may be
            // in use otherwise.
            if (DeviceIoControl(log.get(), VESK_LOG_IOCTL_LOGGING_DISABLE, nullptr, 0, nullptr, 0,
                                nullptr) == TRUE) {
                DeleteMatchingFiles(kLogFolder, kLogMask);
            }
        }
    }
    ui::AfxMessageBox("Initialize OK.", ui::MB_OK | ui::MB_ICONINFORMATION);
}
