#pragma once

#include <tuple>

// What orders the places of a result list, running or stored: the greater
// total first, counted in the unit the exercise shows (tenths of a point with
// "VIew10", else whole points), so that 101.9 stands above 101.2. Equal whole
// points are parted by the inner tens (the marked shots a result cell shows
// after its "*"); tenths part themselves. Equal totals then keep one order
// wherever they are shown and printed: by start number, then by target
// address (practice places have no start number), then by member.
struct RankKey
{
    int totalUnits = 0;
    int innerTens = 0; // 0 when the total is shown in tenths
    int startNumber = -1;
    int target = -1;
    int memberId = -1;
};

inline bool rankedBefore(const RankKey &a, const RankKey &b)
{
    return std::make_tuple(-a.totalUnits, -a.innerTens, a.startNumber, a.target, a.memberId)
        < std::make_tuple(-b.totalUnits, -b.innerTens, b.startNumber, b.target, b.memberId);
}
