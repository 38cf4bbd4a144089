// The conformance suite's backend on Windows: the Win32 backend on a fresh
// root folder under the temporary folder, its keys in the PC's registry.
// "COM7:" is the port named by KESTRIN_CONFORMANCE_COM7 (default COM7) and
// its far end the port named by KESTRIN_CONFORMANCE_FAR (for example COM8,
// linked to COM7 by a null-modem cable, or under wine by two pseudo-terminals
// joined with socat); without KESTRIN_CONFORMANCE_FAR the serial tests skip.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "conformance/backend_fixture.h"
#include "win32/backend.h"
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
    ~Win32Backend() override {
        backend_.reset();
        far_.reset();
        const std::wstring key = Wide(kRegistryRoot);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
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
        win32::Options options;
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
        backend_ = std::make_unique<win32::Backend>(options);
        return true;
    }

    platform::Services Services() override { return backend_->Services(); }
    [[nodiscard]] bool Desktop() const override { return true; }
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
    std::optional<std::string> farName_;
    std::unique_ptr<FarPort> far_;
    std::unique_ptr<win32::Backend> backend_;
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
