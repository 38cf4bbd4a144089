// A component of the virtual unit: declares its unit.toml keys and plugs its
// drivers in. Every device of the unit is one (host/devices/: the control
// devices LOG1: .. NAT1:, GPS1:, COM7:, the touch panel, the sound sink):
//
//   class GpsComponent : public host::unit::Component {
//       void Declare(host::unit::Schema& schema, host::unit::VirtualUnit& unit) override {
//           auto& table = unit.AddDevice(schema, "gps", "GPS1:", driver_);
//           table.String("source", [this](const std::string& s) { source_ = s; });
//       }
//   };
//   host::unit::ComponentKind GpsKind() {
//       return {"gps", [] { return std::make_unique<GpsComponent>(); }};
//   }
//
// A unit is loaded with the kinds its caller names (host::unit::LoadUnit), so two
// units in one process may have different ones.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/unit/config_error.h"
#include "host/unit/schema.h"

namespace host::unit {

class VirtualUnit;

class Component {
  public:
    Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    virtual ~Component() = default;

    // Declares tables and keys, registers drivers. Called before unit.toml is
    // read; setters run while it is applied.
    virtual void Declare(Schema& schema, VirtualUnit& unit) = 0;
    // Called once unit.toml, registry.reg and the file system are in place
    // (start simulated-device threads here). An error stops the loading.
    virtual SetError Start(VirtualUnit& unit);
    // Whether the loaded configuration takes something of the host that
    // keeps real time (a serial line, standard input, a network daemon);
    // *which then names the setting as written in unit.toml
    // ("gps.source = \"gpsd\"").
    virtual bool UsesHostDevice(std::string* which) const;
};

using ComponentFactory = std::function<std::unique_ptr<Component>()>;

// A kind of component: its name (VirtualUnit::FindComponent) and how one is
// made for each unit loaded with it.
struct ComponentKind {
    std::string name;
    ComponentFactory make;
};
using Components = std::vector<ComponentKind>;

}  // namespace host::unit
