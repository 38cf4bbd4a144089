// The conformance suite's backend on Linux: a virtual unit in a temporary
// folder on the real clock, its COM7: a pseudo-terminal whose master side
// is the far end.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "conformance/backend_fixture.h"
#include "com7/com7_component.h"
#include "platform/text.h"
#include "unit/test_unit.h"

namespace conformance {

namespace {

class PtyMaster {
  public:
    PtyMaster() {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ >= 0 && ::grantpt(fd_) == 0 && ::unlockpt(fd_) == 0) {
            std::array<char, 128> name{};
            if (::ptsname_r(fd_, name.data(), name.size()) == 0) {
                slave_ = name.data();
            }
        }
    }
    ~PtyMaster() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] const std::string& Slave() const { return slave_; }

  private:
    int fd_ = -1;
    std::string slave_;
};

std::string RegistryText(const std::vector<RegistryValue>& values) {
    std::string text = "REGEDIT4\n";
    for (const RegistryValue& v : values) {
        text += "\n[HKEY_LOCAL_MACHINE\\" + std::string(kRegistryRoot);
        if (!v.key.empty()) {
            text += "\\" + v.key;
        }
        text += "]\n\"" + v.name + "\"=";
        text += v.text ? "\"" + *v.text + "\"\n" : platform::Format("dword:%08x\n", v.dword);
    }
    return text;
}

class UnitBackend final : public Backend {
  public:
    bool Load(const Content& setup) {
        RegisterCom7Component();
        std::string toml;
        if (setup.serial) {
            if (pty_.fd() < 0 || pty_.Slave().empty()) {
                ADD_FAILURE() << "no pseudo-terminal";
                return false;
            }
            toml = "[com]\ndevice = \"" + pty_.Slave() + "\"\n";
        }
        t_.Toml(toml).Registry(RegistryText(setup.registry)).Options({.virtualTime = false});
        for (const auto& [path, content] : setup.files) {
            t_.File(path, content);
        }
        for (const std::string& folder : setup.folders) {
            t_.Dir(folder);
        }
        if (!t_.Load()) {
            ADD_FAILURE() << t_.error();
            return false;
        }
        return true;
    }

    platform::Services Services() override { return t_.unit().Services(); }
    [[nodiscard]] bool Desktop() const override { return false; }
    [[nodiscard]] std::optional<std::string> SerialUnavailable() const override {
        return std::nullopt;
    }

    bool FarWrite(const std::vector<std::uint8_t>& bytes) override {
        return ::write(pty_.fd(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    std::vector<std::uint8_t> FarRead(std::size_t n, int timeoutMs) override {
        std::vector<std::uint8_t> out;
        while (out.size() < n) {
            pollfd fd{pty_.fd(), POLLIN, 0};
            if (::poll(&fd, 1, timeoutMs) <= 0) {
                break;
            }
            std::array<std::uint8_t, 256> buffer{};
            const ssize_t got =
                ::read(pty_.fd(), buffer.data(), std::min(buffer.size(), n - out.size()));
            if (got <= 0) {
                break;
            }
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
        return out;
    }

  private:
    PtyMaster pty_;
    unit::TestUnit t_;
};

}  // namespace

std::unique_ptr<Backend> Backend::Make(const Content& setup) {
    auto backend = std::make_unique<UnitBackend>();
    if (!backend->Load(setup)) {
        return nullptr;
    }
    return backend;
}

}  // namespace conformance
