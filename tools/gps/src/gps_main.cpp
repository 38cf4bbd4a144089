#include "gps/gps_main.h"

#include <string>

#include "devices/driver_keys.h"
#include "gps/command_line.h"
#include "platform/api.h"
#include "platform/exit_status.h"

namespace gps {

namespace {

using platform::kExitFailure;
using platform::kExitSuccess;

constexpr std::string_view kErrorCaption = "Error";

int Fail(std::string_view text) {
    platform::MessageBox(text, kErrorCaption, platform::MB_OK);
    return kExitFailure;
}

void SwitchOn(std::string_view driverName) {
    const std::string key = std::string(kBuiltInDriversKey) + "\\" + std::string(driverName);
    // Whether loading worked is not reported; the handle is only released.
    const platform::HANDLE device = platform::ActivateDevice(key, 0);
    if (device != 0) {
        platform::CloseHandle(device);
    }
}

int SwitchOff(std::string_view entryName) {
    const std::string key = std::string(kActiveDriversKey) + "\\" + std::string(entryName);
    platform::HKEY active = 0;
    if (platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, key, 0, platform::KEY_QUERY_VALUE,
                               &active) != 0) {
        return Fail("No existe ese dispositivo");
    }
    platform::DWORD handle = 0;
    platform::DWORD size = sizeof handle;
    const platform::LONG read = platform::RegQueryValueEx(
        active, "Hnd", nullptr, reinterpret_cast<platform::BYTE*>(&handle), &size);
    platform::RegCloseKey(active);
    // Without a whole 4-byte "Hnd" there is no device to unload; a handle
    // made up of whatever the buffer held must never reach the device manager.
    if (read != static_cast<platform::LONG>(platform::ERROR_SUCCESS) || size != sizeof handle) {
        return kExitSuccess;
    }
    const auto device = static_cast<platform::HANDLE>(handle);
    platform::DeactivateDevice(device);
    platform::CloseHandle(device);
    return kExitSuccess;
}

}  // namespace

int GpsMain(std::string_view commandLine) {
    const CommandLine command = SplitCommandLine(commandLine);
    if (!command.valid) {
        return Fail("Parametros incorrectos");
    }
    if (command.word == "on") {
        SwitchOn(command.driverName);
        return kExitSuccess;
    }
    if (command.word == "off") {
        return SwitchOff(command.driverName);
    }
    return kExitSuccess;
}

}  // namespace gps
