#pragma once

#include <QtGlobal>

#include "tbullet.h"
#include "ttargettype.h"

// Shots of a known value for the shot-list tests. The face of row 8 at
// calibre 450 has R0 = 250 and W = 250 (hundredths of a millimetre), so every
// value from 0.0 to 10.9 lies a few tenths of a millimetre apart on the y axis.
namespace shotfixtures {

constexpr int kFaceId = 8;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.4;

inline const TTargetType *face()
{
    return targetTypeById(kFaceId);
}

// The smallest y (tenths of a millimetre, x = 0) whose shot is worth the given
// tenths of a point, as the shot record scores it; -1 when none is.
inline int yForTenths(int tenths)
{
    constexpr int kFarthest = 3000; // past ring 1
    for (int y = 0; y <= kFarthest; ++y) {
        const TBullet probe(0, 1, 0, y, 0, 0, face(), kCalibre, kControlValue, 0);
        if (qRound(probe.range() * 10.0) == tenths)
            return y;
    }
    return -1;
}

} // namespace shotfixtures
