// The GPS receiver of the virtual unit: the "GPS1:" driver and its byte
// source, configured by the [gps] table of unit.toml.
//
//   [gps]
//   version = "..."          code 4's text (run time)
//   source = "file"          "file" | "serial" | "stdin" | "gpsd" | "none" (load only)
//   file = "track.nmea"      recorded NMEA, beside unit.toml (load only)
//   device = "/dev/ttyACM0"  serial device, opened with each handle (load only)
//   gpsd = "localhost:2947"  gpsd to ask for the receiver's sentences (load only)
//   baud = 9600              serial speed; also paces the replay (run time)
//   cycle_ms = 1000          replay: one recorded cycle per period (run time)
//   chunk_min = 16           replay: chunk sizes (run time)
//   chunk_max = 128
//   loop = true              replay: start again after the last cycle
//   pressure = "1013.2"      hPa   } the "$PVSNS" put before each "$GPRMC"
//   gradient = "0.0"         degree } of a source that sends none (run time)
//   dr = true                       }
//   cradle = true                   }
#pragma once

#include "host/unit/component.h"

namespace host::unit {
class VirtualUnit;
}

namespace host::gps1 {
class Gps1Driver;

// The unit's GPS1: driver, or null when the unit has no such component.
Gps1Driver* FindGps1Driver(unit::VirtualUnit& unit);
}  // namespace host::gps1

// The component's kind, "gps", to load a unit with.
host::unit::ComponentKind Gps1ComponentKind();
