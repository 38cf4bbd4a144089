// The backend beneath the conformance suite: the same test bodies run on
// the virtual unit (Linux) and on the Win32 backend (under wine, or on a
// PC). Each build links one implementation of Backend::Make.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/api.h"

namespace conformance {

// The keys the tests write live below this key of HKEY_LOCAL_MACHINE.
inline constexpr const char* kRegistryRoot = "Drivers\\KestrinConformance";

struct RegistryValue {
    std::string key;  // below kRegistryRoot, "" for the root itself
    std::string name;
    std::optional<std::string> text;  // REG_SZ when set, else REG_DWORD
    std::uint32_t dword = 0;
};

// A link the test places in the unit's file system (a symbolic link of the
// host, or of the PC), and where it points.
struct Link {
    enum class To {
        Inside,         // the unit folder `inside`
        OutsideFolder,  // a folder beside the root, holding kOutsideFile
        OutsideFile,    // that file
        Nowhere,        // a name beside the root that does not exist
    };
    std::string path;  // unit path
    To to = To::Nowhere;
    std::string inside{};
};
// The file beside the root that links point at, and what it holds.
inline constexpr const char* kOutsideFile = "secret.txt";
inline constexpr const char* kOutsideText = "secret";

struct Content {
    std::vector<std::pair<std::string, std::string>> files{};  // unit path, content
    std::vector<std::string> folders{};                        // unit paths
    std::vector<Link> links{};
    std::vector<RegistryValue> registry{};
    // "COM7:" wired to a far end the test holds: one of SerialLines(), or ""
    // for none.
    std::string serial{};
};

// The far ends this backend can give "COM7:"; the serial tests run once
// against each. The virtual unit: "pty" (a host pseudo-terminal as its
// serial device) and "simulated" (the simulated port, its module replaced
// by a far end for tests); Windows: "port" (a second port).
std::vector<std::string> SerialLines();

class Backend {
  public:
    Backend() = default;
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;
    virtual ~Backend() = default;

    // A fresh backend with exactly this content; null (and a failure
    // recorded) when it cannot be made.
    static std::unique_ptr<Backend> Make(const Content& setup);

    virtual platform::Services Services() = 0;
    // Desktop Windows, where it truly differs from the unit's Windows CE.
    [[nodiscard]] virtual bool Desktop() const = 0;

    // Why the links could not be made here (the test then skips: a PC may
    // not let a user make them), or nullopt.
    [[nodiscard]] virtual std::optional<std::string> LinksUnavailable() const = 0;
    // Whether the folder beside the root still holds kOutsideFile alone,
    // with kOutsideText, and nothing was made where Link::To::Nowhere points.
    [[nodiscard]] virtual bool OutsideUntouched() const = 0;

    // Why "COM7:" has no far end here (the serial tests then skip), or
    // nullopt when it has one.
    [[nodiscard]] virtual std::optional<std::string> SerialUnavailable() const = 0;
    // The far end of the line: bytes written here arrive at "COM7:", and
    // what "COM7:" writes is read here (n bytes or fewer when timeoutMs
    // passes without one).
    virtual bool FarWrite(const std::vector<std::uint8_t>& bytes) = 0;
    virtual std::vector<std::uint8_t> FarRead(std::size_t n, int timeoutMs) = 0;
    // How many calls on "COM7:" wait for the line now (a ReadFile waiting
    // for bytes, a WaitCommEvent), as the backend counts them: a test makes
    // sure its call waits before the far end writes.
    [[nodiscard]] virtual int LineWaiters() = 0;
};

// Installs a backend for one test.
class ConformanceTest : public ::testing::Test {
  protected:
    // False (with a failure) when the backend could not be made.
    bool Start(const Content& setup) {
        backend_ = Backend::Make(setup);
        if (!backend_) {
            ADD_FAILURE() << "the backend could not be made";
            return false;
        }
        services_.emplace(backend_->Services());
        return true;
    }
    Backend& B() { return *backend_; }

    void TearDown() override {
        services_.reset();
        backend_.reset();
    }

  private:
    std::unique_ptr<Backend> backend_;
    std::optional<platform::ScopedServices> services_;
};

}  // namespace conformance
