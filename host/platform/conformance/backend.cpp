// The conformance suite's backend on Linux: a virtual unit in a temporary
// folder on the real clock. Its COM7: is either a pseudo-terminal whose
// master side is the far end ("pty"), or the simulated port with the far
// end for tests in place of the tuner module ("simulated"). Built with
// KESTRIN_CONFORMANCE_FRESH_COPY, the unit is a fresh copy of that folder,
// as each script of a suite runs on.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "conformance/backend_fixture.h"
#include "host/com7/com7_component.h"
#include "host/com7/com7_driver.h"
#include "host/unit/test_unit.h"
#include "platform/text.h"

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

constexpr const char* kPtyLine = "pty";
constexpr const char* kSimulatedLine = "simulated";

class UnitBackend final : public Backend {
  public:
    bool Load(const Content& setup) {
        std::string toml;
        line_ = setup.serial;
        if (line_ == kPtyLine) {
            if (pty_.fd() < 0 || pty_.Slave().empty()) {
                ADD_FAILURE() << "no pseudo-terminal";
                return false;
            }
            toml = "[com]\ndevice = \"" + pty_.Slave() + "\"\n";
        } else if (!line_.empty() && line_ != kSimulatedLine) {
            ADD_FAILURE() << "no serial line \"" << line_ << "\" here";
            return false;
        }
        t_.With({Com7ComponentKind()})
            .Toml(toml)
            .Registry(RegistryText(setup.registry))
            .Options({.virtualTime = false});
        for (const auto& [path, content] : setup.files) {
            t_.File(path, content);
        }
        for (const std::string& folder : setup.folders) {
            t_.Dir(folder);
        }
#ifdef KESTRIN_CONFORMANCE_FRESH_COPY
        t_.OnFreshCopy();
#endif
        if (!t_.Write() || !MakeLinks(setup.links) || !t_.Load()) {
            ADD_FAILURE() << t_.error();
            return false;
        }
        if (line_ == kSimulatedLine) {
            Simulated().UseTestFarEnd();
        }
        return true;
    }

    platform::Services Services() override {
        return t_.unit().Services();
    }
    [[nodiscard]] bool Desktop() const override {
        return false;
    }
    [[nodiscard]] std::optional<std::string> LinksUnavailable() const override {
        return std::nullopt;
    }
    [[nodiscard]] bool OutsideUntouched() const override {
        namespace fs = std::filesystem;
        std::error_code ec;
        const auto entries =
            std::distance(fs::directory_iterator(Outside(), ec), fs::directory_iterator());
        std::ifstream in(Outside() / kOutsideFile, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        return !ec && entries == 1 && text == kOutsideText && !fs::exists(Nowhere(), ec);
    }
    [[nodiscard]] std::optional<std::string> SerialUnavailable() const override {
        return std::nullopt;
    }

    bool FarWrite(const std::vector<std::uint8_t>& bytes) override {
        if (line_ == kSimulatedLine) {
            Simulated().FarWrite(bytes);
            return true;
        }
        return ::write(pty_.fd(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    std::vector<std::uint8_t> FarRead(std::size_t n, int timeoutMs) override {
        if (line_ == kSimulatedLine) {
            return Simulated().FarRead(n, static_cast<std::uint64_t>(timeoutMs));
        }
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
    int LineWaiters() override {
        host::com7::Com7Driver& driver = host::com7::FindCom7(t_.unit())->Driver();
        return line_ == kSimulatedLine ? driver.Simulated().State().waiting
                                       : driver.Host().Waiting();
    }

  private:
    [[nodiscard]] std::filesystem::path Outside() const {
        return t_.dir() / "outside";
    }
    [[nodiscard]] std::filesystem::path Nowhere() const {
        return t_.dir() / "nowhere";
    }
    std::filesystem::path HostPath(const std::string& unitPath) {
        std::filesystem::path out = t_.dir() / "fs";
        std::string rest = unitPath.substr(unitPath.find_first_not_of('\\'));
        std::replace(rest.begin(), rest.end(), '\\', '/');
        return out / rest;
    }
    bool MakeLinks(const std::vector<Link>& links) {
        namespace fs = std::filesystem;
        if (links.empty()) {
            return true;
        }
        std::error_code ec;
        fs::create_directories(Outside(), ec);
        std::ofstream(Outside() / kOutsideFile, std::ios::binary) << kOutsideText;
        for (const Link& link : links) {
            const fs::path at = HostPath(link.path);
            fs::create_directories(at.parent_path(), ec);
            switch (link.to) {
                case Link::To::Inside:
                    // Relative: it leads inside any copy of the unit too.
                    fs::create_directory_symlink(
                        HostPath(link.inside).lexically_relative(at.parent_path()), at, ec);
                    break;
                case Link::To::OutsideFolder:
                    fs::create_directory_symlink(Outside(), at, ec);
                    break;
                case Link::To::OutsideFile:
                    fs::create_symlink(Outside() / kOutsideFile, at, ec);
                    break;
                case Link::To::Nowhere:
                    fs::create_symlink(Nowhere(), at, ec);
                    break;
            }
            if (ec) {
                ADD_FAILURE() << "cannot make the link " << link.path << ": " << ec.message();
                return false;
            }
        }
        return true;
    }

    host::com7::SimulatedPort& Simulated() {
        return host::com7::FindCom7(t_.unit())->Driver().Simulated();
    }

    std::string line_;
    PtyMaster pty_;
    host::unit::TestUnit t_;
};

}  // namespace

std::vector<std::string> SerialLines() {
    return {kPtyLine, kSimulatedLine};
}

std::unique_ptr<Backend> Backend::Make(const Content& setup) {
    auto backend = std::make_unique<UnitBackend>();
    if (!backend->Load(setup)) {
        return nullptr;
    }
    return backend;
}

}  // namespace conformance
