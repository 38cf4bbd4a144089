// The conformance suite's backend on Windows: the Win32 backend on a fresh
// root folder under the temporary folder, its keys in the PC's registry.
// "COM7:" is the port named by KESTRIN_CONFORMANCE_COM7 (default COM7) and
// its far end the port named by KESTRIN_CONFORMANCE_FAR (for example COM8,
// linked to COM7 by a null-modem cable, or under wine by two pseudo-terminals
// joined with socat); without KESTRIN_CONFORMANCE_FAR the serial tests skip.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "conformance/backend_fixture.h"
#include "win32/pc/backend.h"
// <windows.h> after the platform headers: it defines their constants as macros.
#include <windows.h>

namespace conformance {

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::filesystem::path UnitPathUnder(const std::filesystem::path& root,
                                    const std::string& unitPath) {
    std::string relative = unitPath.substr(unitPath.find_first_not_of('\\'));
    return root / std::filesystem::path(relative).make_preferred();
}

std::wstring Wide(const std::string& text) {
    return std::filesystem::path(text).wstring();
}

// Wine's way to the host: its crossings between its drives and the host's
// paths, and host programs started from a Windows program. Wine 8 has no
// links of its own (CreateSymbolicLink does nothing, junctions are not
// supported) but follows the host's, so there the host makes them, and
// takes them away again (wine's DeleteFile through a link deletes what it
// points at).
class WineHost {
  public:
    // Null off wine.
    static std::unique_ptr<WineHost> Find() {
        auto host = std::make_unique<WineHost>();
        host->unixName_ = Export<UnixName>("wine_get_unix_file_name");
        host->dosName_ = Export<DosName>("wine_get_dos_file_name");
        if (host->unixName_ == nullptr || host->dosName_ == nullptr) {
            return nullptr;
        }
        return host;
    }

    // Through the folder, which exists: wine names only what exists.
    [[nodiscard]] std::optional<std::string> UnixPath(const std::filesystem::path& path) const {
        char* folder = unixName_(path.parent_path().wstring().c_str());
        if (folder == nullptr) {
            return std::nullopt;
        }
        const std::u8string leaf = path.filename().u8string();
        std::string out = std::string(folder) + "/" + std::string(leaf.begin(), leaf.end());
        ::HeapFree(::GetProcessHeap(), 0, folder);
        return out;
    }

    // Starts a host program; wine gives no handle to wait on, so the caller
    // waits for what it does.
    bool Start(const char* program, const std::vector<std::string>& arguments) const {
        wchar_t* dos = dosName_(program);
        if (dos == nullptr) {
            return false;
        }
        const std::wstring name(dos);
        ::HeapFree(::GetProcessHeap(), 0, dos);
        std::wstring command = L"\"" + name + L"\"";
        for (const std::string& argument : arguments) {
            command += L" \"" + Wide(argument) + L"\"";
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(name.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process) == 0) {
            return false;
        }
        for (const HANDLE h : {process.hThread, process.hProcess}) {
            if (h != nullptr) {
                ::CloseHandle(h);
            }
        }
        return true;
    }

  private:
    using UnixName = char*(CDECL*)(const wchar_t*);
    using DosName = wchar_t*(CDECL*)(const char*);
    template <class Function>
    static Function Export(const char* name) {
        return reinterpret_cast<Function>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
    }

    UnixName unixName_ = nullptr;
    DosName dosName_ = nullptr;
};

// Whether `done` comes true within five seconds.
bool Eventually(const std::function<bool()>& done) {
    for (int tries = 0; tries < 500; ++tries) {
        if (done()) {
            return true;
        }
        ::Sleep(10);
    }
    return done();
}

bool Listed(const std::filesystem::path& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(path.wstring().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    return true;
}

// Makes a symbolic link at `at` to `target`; the reason when it cannot.
// Windows makes one unprivileged in Developer Mode.
std::optional<std::string> MakeLink(const std::filesystem::path& at,
                                    const std::filesystem::path& target, bool folder,
                                    const WineHost* wine) {
    if (wine == nullptr) {
        constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kUnprivileged;
        if (::CreateSymbolicLinkW(at.wstring().c_str(), target.wstring().c_str(), flags) == 0) {
            return "CreateSymbolicLink failed (error " + std::to_string(::GetLastError()) +
                   "): links need Developer Mode or an elevated prompt";
        }
        return std::nullopt;
    }
    const std::optional<std::string> unixAt = wine->UnixPath(at);
    const std::optional<std::string> unixTarget = wine->UnixPath(target);
    if (!unixAt || !unixTarget || !wine->Start("/bin/ln", {"-s", *unixTarget, *unixAt})) {
        return "the host's ln cannot be run";
    }
    if (!Eventually([&] { return Listed(at); })) {
        return "the host's ln made no link";
    }
    return std::nullopt;
}

// One end of the line, opened straight on Win32, synchronous.
class FarPort {
  public:
    explicit FarPort(const std::string& name) {
        const std::wstring device = L"\\\\.\\" + Wide(name);
        h_ = ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
        if (h_ == INVALID_HANDLE_VALUE) {
            return;
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ::GetCommState(h_, &dcb);
        dcb.BaudRate = CBR_38400;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        ::SetCommState(h_, &dcb);
        ::PurgeComm(h_, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }
    ~FarPort() {
        if (h_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h_);
        }
    }
    FarPort(const FarPort&) = delete;
    FarPort& operator=(const FarPort&) = delete;

    [[nodiscard]] bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

    bool Write(const std::vector<std::uint8_t>& bytes) {
        DWORD written = 0;
        return ::WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
                   0 &&
               written == bytes.size();
    }
    std::vector<std::uint8_t> Read(std::size_t n, int timeoutMs) {
        COMMTIMEOUTS t{};
        t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
        ::SetCommTimeouts(h_, &t);
        std::vector<std::uint8_t> out(n);
        DWORD got = 0;
        if (::ReadFile(h_, out.data(), static_cast<DWORD>(n), &got, nullptr) == 0) {
            got = 0;
        }
        out.resize(got);
        return out;
    }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

constexpr const char* kPortLine = "port";

// Empties what an earlier test left queued on the near port.
void PurgeNear(const std::string& name) {
    const std::wstring device = L"\\\\.\\" + Wide(name);
    HANDLE h = ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
        ::CloseHandle(h);
    }
}

class Win32Backend final : public Backend {
  public:
    // Only allocation can throw here; ending the test program then is right.
    ~Win32Backend() override {  // NOLINT(bugprone-exception-escape)
        backend_.reset();
        far_.reset();
        const std::wstring key = Wide(kRegistryRoot);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        // Under wine the links go with the host's rm: removed from here they
        // would take what they point at with them.
        if (wine_ && linksMade_) {
            const auto root = wine_->UnixPath(root_);
            const auto outside = wine_->UnixPath(Outside());
            if (root && outside && wine_->Start("/bin/rm", {"-rf", *root, *outside})) {
                Eventually([&] { return !Listed(root_) && !Listed(Outside()); });
            }
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
        std::filesystem::remove_all(Outside(), ignored);
    }

    bool Make(const Content& setup) {
        const std::wstring registryRoot = Wide(kRegistryRoot);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, registryRoot.c_str());
        std::error_code error;
        const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
        for (unsigned n = ::GetCurrentProcessId(), tries = 0; tries < 100; ++n, ++tries) {
            root_ = temp / ("kestrin-conformance-" + std::to_string(n));
            if (std::filesystem::create_directory(root_, error)) {
                break;
            }
        }
        for (const std::string& folder : setup.folders) {
            std::filesystem::create_directories(UnitPathUnder(root_, folder), error);
        }
        for (const auto& [path, content] : setup.files) {
            const std::filesystem::path file = UnitPathUnder(root_, path);
            std::filesystem::create_directories(file.parent_path(), error);
            std::ofstream(file, std::ios::binary) << content;
        }
        if (!WriteRegistry(setup.registry)) {
            return false;
        }
        MakeLinks(setup.links);
        win32::pc::Options options;
        const std::u8string root = root_.u8string();
        options.root.assign(root.begin(), root.end());
        options.com7Port = Environment("KESTRIN_CONFORMANCE_COM7").value_or("COM7");
        if (!setup.serial.empty()) {
            if (setup.serial != kPortLine) {
                ADD_FAILURE() << "no serial line \"" << setup.serial << "\" here";
                return false;
            }
            farName_ = Environment("KESTRIN_CONFORMANCE_FAR");
            if (farName_) {
                PurgeNear(options.com7Port);
                far_ = std::make_unique<FarPort>(*farName_);
                if (!far_->ok()) {
                    ADD_FAILURE() << "cannot open the far end " << *farName_;
                    return false;
                }
            }
        }
        backend_ = std::make_unique<win32::pc::Backend>(options);
        return true;
    }

    platform::Services Services() override { return backend_->Services(); }
    [[nodiscard]] bool Desktop() const override { return true; }
    [[nodiscard]] std::optional<std::string> LinksUnavailable() const override {
        return linksUnavailable_;
    }
    [[nodiscard]] bool OutsideUntouched() const override {
        std::error_code ec;
        const auto entries = std::distance(std::filesystem::directory_iterator(Outside(), ec),
                                           std::filesystem::directory_iterator());
        std::ifstream in(Outside() / kOutsideFile, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        return !ec && entries == 1 && text == kOutsideText &&
               !std::filesystem::exists(Nowhere(), ec);
    }
    [[nodiscard]] std::optional<std::string> SerialUnavailable() const override {
        if (farName_) {
            return std::nullopt;
        }
        return "KESTRIN_CONFORMANCE_FAR names no far end for COM7";
    }
    bool FarWrite(const std::vector<std::uint8_t>& bytes) override { return far_->Write(bytes); }
    std::vector<std::uint8_t> FarRead(std::size_t n, int timeoutMs) override {
        return far_->Read(n, timeoutMs);
    }
    int LineWaiters() override { return backend_->Com7CallsWaiting(); }

  private:
    [[nodiscard]] std::filesystem::path Outside() const {
        return root_.parent_path() / (root_.filename().wstring() + L"-outside");
    }
    [[nodiscard]] std::filesystem::path Nowhere() const {
        return root_.parent_path() / (root_.filename().wstring() + L"-nowhere");
    }
    void MakeLinks(const std::vector<Link>& links) {
        if (links.empty()) {
            return;
        }
        std::error_code error;
        std::filesystem::create_directories(Outside(), error);
        std::ofstream(Outside() / kOutsideFile, std::ios::binary) << kOutsideText;
        wine_ = WineHost::Find();
        linksMade_ = true;
        for (const Link& link : links) {
            const std::filesystem::path at = UnitPathUnder(root_, link.path);
            std::filesystem::create_directories(at.parent_path(), error);
            std::optional<std::string> why;
            switch (link.to) {
                case Link::To::Inside:
                    why = MakeLink(at, UnitPathUnder(root_, link.inside), true, wine_.get());
                    break;
                case Link::To::OutsideFolder:
                    why = MakeLink(at, Outside(), true, wine_.get());
                    break;
                case Link::To::OutsideFile:
                    why = MakeLink(at, Outside() / kOutsideFile, false, wine_.get());
                    break;
                case Link::To::Nowhere:
                    // Made to something, which then goes: under wine a link
                    // to nothing cannot be seen to be there.
                    std::ofstream(Nowhere(), std::ios::binary) << "";
                    why = MakeLink(at, Nowhere(), false, wine_.get());
                    std::filesystem::remove(Nowhere(), error);
                    break;
            }
            if (why) {
                linksUnavailable_ = link.path + ": " + *why;
                return;
            }
        }
    }

    static bool WriteRegistry(const std::vector<RegistryValue>& values) {
        for (const RegistryValue& v : values) {
            std::wstring path = Wide(kRegistryRoot);
            if (!v.key.empty()) {
                path += L"\\" + Wide(v.key);
            }
            HKEY key = nullptr;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr) != ERROR_SUCCESS) {
                ADD_FAILURE() << "cannot create the key " << v.key;
                return false;
            }
            const std::wstring name = Wide(v.name);
            LONG result = 0;
            if (v.text) {
                const std::wstring text = Wide(*v.text);
                result = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()),
                                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            } else {
                const DWORD value = v.dword;
                result = ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value);
            }
            ::RegCloseKey(key);
            if (result != ERROR_SUCCESS) {
                ADD_FAILURE() << "cannot write the value " << v.name;
                return false;
            }
        }
        return true;
    }

    std::filesystem::path root_;
    std::unique_ptr<WineHost> wine_;
    bool linksMade_ = false;
    std::optional<std::string> linksUnavailable_;
    std::optional<std::string> farName_;
    std::unique_ptr<FarPort> far_;
    std::unique_ptr<win32::pc::Backend> backend_;
};

}  // namespace

std::vector<std::string> SerialLines() {
    return {kPortLine};
}

std::unique_ptr<Backend> Backend::Make(const Content& setup) {
    auto backend = std::make_unique<Win32Backend>();
    if (!backend->Make(setup)) {
        return nullptr;
    }
    return backend;
}

}  // namespace conformance
