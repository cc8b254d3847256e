#include "totalfactories.h"

#include "createmyevent.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "total_difficult_one_model.h"
#include "total_mp_5.h"
#include "total_simple_one_model.h"
#include "tseries.h"
#include "tusermodul.h"
#include "tviewmodul.h"

namespace {

// Competition types of "CompetitionsType.xml" by the table they get.
constexpr int kFirstSimpleOne = 1;
constexpr int kLastSimpleOne = 6;
constexpr int kPistolMatch = 8;
constexpr int kCentreFirePistolMatch = 9;
constexpr int kThreePositions3x20 = 11;
constexpr int kThreePositions3x40 = 12;

// Sub-types of the three-position exercise.
constexpr int kSubType3x20 = 1;
constexpr int kSubType3x40 = 2;
constexpr int kSeriesPerPosition3x20 = 2;
constexpr int kSeriesPerPosition3x40 = 4;

// second may be null here; the callers decide whether that is allowed.
template <class List>
QAbstractItemModel *totalModelOfType(int type, List *first, List *second)
{
    if (type >= kFirstSimpleOne && type <= kLastSimpleOne)
        return new TOTAL_SIMPLE_ONE_MODEL(first);
    switch (type) {
    case kPistolMatch:
    case kCentreFirePistolMatch:
        return new TOTAL_MP_5(first, second);
    case kThreePositions3x20:
        return new TOTAL_DIFFICULT_ONE_MODEL(first, kSeriesPerPosition3x20, false);
    case kThreePositions3x40:
        return new TOTAL_DIFFICULT_ONE_MODEL(first, kSeriesPerPosition3x40, false);
    default:
        return nullptr;
    }
}

bool isPistolMatch(int type)
{
    return type == kPistolMatch || type == kCentreFirePistolMatch;
}

} // namespace

QAbstractItemModel *createCompetitionTotalModel(TUserModul *modul)
{
    const TCompetition *competition = modul ? modul->currentCompetition() : nullptr;
    const TEvent *first = competition ? competition->event(0) : nullptr;
    TBulletList *firstList = first ? modul->bulletList(first->id()) : nullptr;
    if (!firstList)
        return nullptr;
    TBulletList *secondList = nullptr;
    if (isPistolMatch(competition->type())) {
        const TEvent *second = competition->event(1);
        secondList = second ? modul->bulletList(second->id()) : nullptr;
        if (!secondList)
            return nullptr;
    }
    return totalModelOfType(competition->type(), firstList, secondList);
}

QAbstractItemModel *createStoredTotalModel(int competitionType, TViewBulletList *first,
                                           TViewBulletList *second)
{
    if (!first)
        return nullptr;
    return totalModelOfType(competitionType, first, second);
}

QAbstractItemModel *createViewTotalModel(TViewModul *modul)
{
    const TCompetition *competition = modul ? modul->competition() : nullptr;
    const TEvent *first = competition ? competition->event(0) : nullptr;
    if (!first)
        return nullptr;
    const TEvent *second = competition->event(1);
    // Standings over an exercise that cannot be scored would rank on made-up
    // values, and a pistol match's on one stage alone.
    if (!modul->isScored(first)
        || (isPistolMatch(competition->type()) && !modul->isScored(second)))
        return nullptr;
    return createStoredTotalModel(competition->type(), modul->bulletListOfEvent(first->id()),
                                  second ? modul->bulletListOfEvent(second->id()) : nullptr);
}

QAbstractItemModel *createEventTotalModel(TBulletList *list, int typeID, int subType)
{
    if (!list)
        return nullptr;
    switch (typeID) {
    case kEventSimpleOne:
    case kEventPrecisionStage:
    case kEventRapidFireStage:
        return list->series();
    case kEventDifficultOne:
        if (subType == kSubType3x20)
            return new TOTAL_DIFFICULT_ONE_MODEL(list, kSeriesPerPosition3x20, true);
        if (subType == kSubType3x40)
            return new TOTAL_DIFFICULT_ONE_MODEL(list, kSeriesPerPosition3x40, true);
        return nullptr;
    default:
        return nullptr;
    }
}
