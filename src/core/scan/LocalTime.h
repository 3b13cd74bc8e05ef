#pragma once

#include "store/RecordDateTime.h"

#include <ctime>

namespace dovrin::scan {

// Turns file times into local wall-clock record date-times. The zone's offset is cached per
// day, checked at both ends of the day, so a scan asks the time-zone rules about once per
// day its files were touched on instead of once per file; a day holding a transition is
// never cached, so every transition is still right.
class LocalTime
{
public:
    RecordDateTime convert(time_t unixSeconds);

    // Writes the quoted-field text of a date-time (as RecordDateTime::appendRecordText does)
    // at `out`, at most 21 bytes; returns the end. Spares the scan a byte-by-byte append.
    static char* writeRecordText(char* out, RecordDateTime value);

private:
    static constexpr int kSlots = 4096;
    static constexpr time_t kSpan = 86400;
    struct Slot
    {
        time_t span = 0;
        long offset = 0;
        bool valid = false;
    };
    Slot m_slots[kSlots];
};

} // namespace dovrin::scan
