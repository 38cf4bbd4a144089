// Loading a unit directory with its components, and fresh copies of one.

#include <algorithm>

#include "host/unit/virtual_unit.h"
#include "host_files.h"
#include "unit_impl.h"

namespace host::unit {

namespace fs = std::filesystem;

namespace {

// Register values before unit.toml: believable for an idle unit with the
// power key's edge detection and interrupt enabled.
void SetRegisterDefaults(VirtualUnit& unit) {
    unit.WriteWord(kGpioAddress + kGpioFallingEdge, GpioPinMask(kPowerKeyPin));
    unit.WriteWord(kGpioAddress + kGpioEdgeStatus, 0x00000000U);
    unit.WriteWord(kIntcAddress + kIntcIcmr, 0x04000D00U);
    unit.SetPin(kVariantPin, true);
}

// The unit of dir with its configuration read and its files generated, no
// component started yet (*inner: its inside, for the start).
Result<std::unique_ptr<VirtualUnit>> Configure(VirtualUnit::Key key, const fs::path& dir,
                                               const Components& components,
                                               const LoadOptions& options,
                                               VirtualUnit::Impl** inner) {
    for (auto kind = components.begin(); kind != components.end(); ++kind) {
        const auto same = [&](const ComponentKind& k) { return k.name == kind->name; };
        if (kind->make == nullptr) {
            return ConfigError{{}, 0, {}, "component kind \"" + kind->name + "\" makes nothing"};
        }
        if (std::any_of(components.begin(), kind, same)) {
            return ConfigError{{}, 0, {}, "component kind \"" + kind->name + "\" given twice"};
        }
    }
    if (!HostIsDirectory(dir)) {
        return ConfigError{dir.string(), 0, {}, "no such unit directory"};
    }
    // A folder that is not a unit is left as it was: no fs/ made in it.
    const fs::path toml = dir / "unit.toml";
    if (!HostExists(toml)) {
        return ConfigError{toml.string(), 0, {}, "missing"};
    }
    std::error_code ec;
    if (!options.writeTo && !HostIsDirectory(dir / "fs") && !fs::create_directory(dir / "fs", ec)) {
        return ConfigError{(dir / "fs").string(), 0, {}, "cannot create the file system folder"};
    }
    auto impl = std::make_unique<VirtualUnit::Impl>(dir, options);
    if (auto err = impl->registers.Init(); !err.empty()) {
        return ConfigError{dir.string(), 0, {}, err};
    }
    VirtualUnit::Impl& in = *impl;
    *inner = &in;
    auto unit = std::make_unique<VirtualUnit>(key, std::move(impl));
    SetRegisterDefaults(*unit);

    DeclareUnitKeys(*unit, in);
    for (const ComponentKind& kind : components) {
        auto component = kind.make();
        component->Declare(in.schema, *unit);
        in.components.emplace_back(kind.name, std::move(component));
    }

    if (auto err = ApplyToml(in.schema, toml)) {
        return *err;
    }

    if (auto err = in.registry.Load()) {
        return *err;
    }

    if (auto err = ApplyFileSpecs(in, toml.string())) {
        return *err;
    }
    return unit;
}

}  // namespace

SetError Component::Start(VirtualUnit& /*unit*/) {
    return std::nullopt;
}

bool Component::UsesHostDevice(std::string* /*which*/) const {
    return false;
}

Result<std::unique_ptr<VirtualUnit>> LoadUnit(const fs::path& dir, const Components& components,
                                              const LoadOptions& options) {
    VirtualUnit::Impl* in = nullptr;
    auto configured = Configure(VirtualUnit::Key{}, dir, components, options, &in);
    if (!configured) {
        return configured.error();
    }
    std::unique_ptr<VirtualUnit> unit = std::move(*configured);
    if (options.beforeStart) {
        if (auto err = options.beforeStart(*unit)) {
            return *err;
        }
    }
    for (auto& [name, component] : in->components) {
        if (auto err = component->Start(*unit)) {
            return *err;
        }
    }
    return unit;
}

Result<void> PrepareUnitFiles(const fs::path& dir, const Components& components) {
    VirtualUnit::Impl* in = nullptr;
    const auto configured =
        Configure(VirtualUnit::Key{}, dir, components, {.virtualTime = true}, &in);
    if (!configured) {
        return configured.error();
    }
    return {};
}

Result<TempDir> MakeFreshCopy(const fs::path& sourceDir) {
    if (!HostIsDirectory(sourceDir)) {
        return ConfigError{sourceDir.string(), 0, {}, "no such unit directory"};
    }
    auto temp = TempDir::Create("kestrin-unit-");
    if (!temp) {
        return ConfigError{{}, 0, {}, temp.error()};
    }
    if (const std::error_code ec = CopyHostTree(sourceDir, temp->path())) {
        return ConfigError{sourceDir.string(), 0, {}, "cannot copy the unit: " + ec.message()};
    }
    return std::move(*temp);
}

}  // namespace host::unit
