#include "practicetargets.h"

#include "tmemberspractice.h"
#include "tshooter.h"

int PracticeTargets::highestUsed(const TMembersPractice *roster)
{
    int highest = 0;
    for (int row = 0; row < roster->count(); ++row) {
        const TShooter *shooter = roster->shooterAt(row);
        if (shooter->isUsed() && shooter->target() > highest)
            highest = shooter->target();
    }
    return highest;
}
