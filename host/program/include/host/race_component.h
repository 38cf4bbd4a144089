// A race planted for tests of the determinism check (--repeat-each): the
// table "race", which only test units name. `order_by_thread = true` makes
// the unit's start write two debug lines in an order a thread's timing
// decides, so that two runs of one script on the virtual clock differ;
// `traffic_by_thread = true` does the same with two registry events, so that
// only the traffic differs.
#pragma once

#include "host/unit/component.h"

namespace host {

unit::ComponentKind RaceComponentKind();

}  // namespace host
