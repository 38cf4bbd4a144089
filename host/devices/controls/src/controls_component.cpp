#include "host/controls/controls_component.h"

#include <memory>

#include "host/controls/dsk_driver.h"
#include "host/controls/inf_driver.h"
#include "host/controls/log_driver.h"
#include "host/controls/nat_driver.h"
#include "host/controls/pwm_driver.h"
#include "host/unit/virtual_unit.h"

namespace host::controls {

namespace {

// The tables, which name the kinds too.
constexpr char kLog[] = "log";
constexpr char kInf[] = "inf";
constexpr char kPwm[] = "pwm";
constexpr char kDsk[] = "dsk";
constexpr char kNat[] = "nat";

// One driver under its device name, with the table that bears the kind's name.
template <class D>
class ControlComponent final : public unit::Component {
  public:
    ControlComponent(const char* table, const char* deviceName)
        : table_(table), deviceName_(deviceName) {}

    void Declare(unit::Schema& schema, unit::VirtualUnit& unit) override {
        driver_->DeclareKeys(unit.AddDevice(schema, table_, deviceName_, driver_));
    }

    D* Driver() { return driver_.get(); }

  private:
    const char* table_;
    const char* deviceName_;
    std::shared_ptr<D> driver_ = std::make_shared<D>();
};

template <class D>
unit::ComponentKind KindOf(const char* table, const char* deviceName) {
    return {table, [table, deviceName] {
                return std::make_unique<ControlComponent<D>>(table, deviceName);
            }};
}

template <class D>
D* DriverOf(unit::VirtualUnit& unit, const char* table) {
    auto* component = dynamic_cast<ControlComponent<D>*>(unit.FindComponent(table));
    return component != nullptr ? component->Driver() : nullptr;
}

}  // namespace

unit::ComponentKind LogComponentKind() {
    return KindOf<LogDriver>(kLog, kLogDeviceName);
}
unit::ComponentKind InfComponentKind() {
    return KindOf<InfDriver>(kInf, kInfDeviceName);
}
unit::ComponentKind PwmComponentKind() {
    return KindOf<PwmDriver>(kPwm, kPwmDeviceName);
}
unit::ComponentKind DskComponentKind() {
    return KindOf<DskDriver>(kDsk, kDskDeviceName);
}
unit::ComponentKind NatComponentKind() {
    return KindOf<NatDriver>(kNat, kNatDeviceName);
}

unit::Components ControlKinds() {
    return {LogComponentKind(), InfComponentKind(), PwmComponentKind(), DskComponentKind(),
            NatComponentKind()};
}

LogDriver* LogOf(unit::VirtualUnit& unit) {
    return DriverOf<LogDriver>(unit, kLog);
}
InfDriver* InfOf(unit::VirtualUnit& unit) {
    return DriverOf<InfDriver>(unit, kInf);
}
PwmDriver* PwmOf(unit::VirtualUnit& unit) {
    return DriverOf<PwmDriver>(unit, kPwm);
}
DskDriver* DskOf(unit::VirtualUnit& unit) {
    return DriverOf<DskDriver>(unit, kDsk);
}
NatDriver* NatOf(unit::VirtualUnit& unit) {
    return DriverOf<NatDriver>(unit, kNat);
}

}  // namespace host::controls
