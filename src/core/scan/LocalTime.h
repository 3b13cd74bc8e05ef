#pragma once

#include "store/RecordDateTime.h"

#include <ctime>

namespace dovrin::scan {

// Turns file times into local wall-clock record date-times. The zone's offset is cached per
// quarter of an hour, checked at both ends of the quarter, so a scan asks the time-zone
// rules a few times instead of once per file and still gets every transition right.
class LocalTime
{
public:
    RecordDateTime convert(time_t unixSeconds);

private:
    static constexpr int kSlots = 64;
    static constexpr time_t kQuarter = 900;
    struct Slot
    {
        time_t quarter = 0;
        long offset = 0;
        bool valid = false;
    };
    Slot m_slots[kSlots];
};

} // namespace dovrin::scan
