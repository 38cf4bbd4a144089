// The sweep's frequencies in Hz times 1024 (22.10 fixed point): 80 Hz rising a
// tenth of an octave per entry (81920 x 2^(k/10) rounded down), and a last
// entry one below 5120 Hz so that the final period is 9 samples, not 9.375.
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::array<std::int32_t, 61> SweepFrequencyTable = {
    81920,   87799,   94101,   100855,  108094,  115852,  124167,  133079,  142631,
    152868,  163840,  175599,  188202,  201710,  216188,  231704,  248335,  266158,
    285262,  305736,  327680,  351198,  376405,  403421,  432376,  463409,  496670,
    532317,  570524,  611472,  655360,  702397,  752810,  806842,  864752,  926819,
    993340,  1064635, 1141048, 1222945, 1310720, 1404794, 1505621, 1613685, 1729505,
    1853638, 1986680, 2129270, 2282096, 2445890, 2621440, 2809589, 3011243, 3227371,
    3459010, 3707276, 3973360, 4258541, 4564192, 4891780, 5242879};
