#pragma once

#include <QList>

#include "tusermodul.h"

class TEvent;

// Puts the members on that relay of the exercise, on targets 1, 2, ... in
// their order, as the relays page does; with propagate also on the linked
// relays of the following exercises.
inline bool composeRelay(TUserModul *modul, TEvent *event, int number,
                         const QList<int> &memberIDs, bool propagate = true)
{
    if (!modul->beginEditRelay(event, number))
        return false;
    int target = 1;
    for (int memberID : memberIDs) {
        if (!modul->placeMember(memberID, target++, propagate, false))
            return false;
    }
    return modul->commitEditRelay(propagate);
}
