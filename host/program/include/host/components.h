// The host's components of the virtual unit (GPS receiver, tuner module,
// touch panel, sound), registered before any unit is loaded so that their
// unit.toml tables are known.
#pragma once

namespace host {

// Registers every host component this build has. Call once before LoadUnit;
// calling again changes nothing.
void RegisterHostComponents();

}  // namespace host
