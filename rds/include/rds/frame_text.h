// The tuner module's frames in words, for whoever shows what crossed the
// line: "Tune 100.0 MHz", "reply V 1-4-2", "group 0A, PS segment 2 'C '".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "rds/module_frame.h"

// A command frame to the module (FF, code, two parameters, the code again);
// empty when the bytes are no such frame.
std::string DescribeRdsCommand(std::span<const std::uint8_t> frame);

// A frame from the module: a reply or a received RDS group.
std::string DescribeRdsFrame(const RdsFrame& frame);
