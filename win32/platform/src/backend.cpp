#include "win32/pc/backend.h"

#include "platform/utf16.h"
#include "win32_api.h"
#include "win32_kernel.h"
#include "win32_services.h"

namespace win32::pc {

namespace {

// The absolute form of a folder (UTF-8); the text as given when Win32
// cannot make one.
std::string AbsoluteFolder(const std::string& folder) {
    const std::optional<std::wstring> wide = platform::utf16::FromUtf8(folder);
    if (!wide || wide->empty()) {
        return folder;
    }
    const DWORD needed = ::GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return folder;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return folder;
    }
    full.resize(length);
    return platform::utf16::ToUtf8(full);
}

}  // namespace

struct Backend::Impl {
    explicit Impl(Options o)
        : options(std::move(o)),
          kernel(AbsoluteFolder(options.root.empty() ? DefaultRoot() : options.root), options) {
        kernel.SetTraffic(&traffic);
    }

    Options options;
    Win32Kernel kernel;
    Win32Registry registry;
    Win32Sound sound;
    Win32Power power;
    Win32Touch touch;
    Win32Clock clock;
    platform::Traffic traffic{[this] { return clock.NowMs(); }};
};

Backend::Backend(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Backend::~Backend() = default;

platform::Services Backend::Services() {
    platform::Services s;
    s.kernel = &impl_->kernel;
    s.sound = &impl_->sound;
    s.power = &impl_->power;
    s.touch = &impl_->touch;
    s.registry = &impl_->registry;
    s.clock = &impl_->clock;
    return s;
}

const Options& Backend::options() const {
    return impl_->options;
}

std::string Backend::RootFolder() const {
    return impl_->kernel.Root();
}

std::vector<std::string> Backend::DebugLines() const {
    return impl_->kernel.DebugLines();
}

void Backend::ClearDebugLines() {
    impl_->kernel.ClearDebugLines();
}

platform::Traffic& Backend::Traffic() {
    return impl_->traffic;
}

int Backend::Com7CallsWaiting() const {
    return impl_->kernel.Com7Waiting();
}

std::string DefaultRoot() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return "unit";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? L"." : path.substr(0, separator);
    return platform::utf16::ToUtf8(folder) + "\\unit";
}

}  // namespace win32::pc
