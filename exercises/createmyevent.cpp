#include "createmyevent.h"

#include "event_difficult_one.h"
#include "event_precision_stage.h"
#include "event_rapid_fire_stage.h"
#include "event_simple_one.h"
#include "tevent.h"

MyEvent *createMyEvent(TBulletList *list, TEvent *event, TBulletList *prevStage)
{
    if (!event)
        return nullptr;
    switch (event->typeXMLID()) {
    case kEventSimpleOne:
        return new EVENT_SIMPLE_ONE(list, event);
    case kEventPrecisionStage:
        return new EVENT_PRECISION_STAGE(list, event);
    case kEventRapidFireStage:
        return new EVENT_RAPID_FIRE_STAGE(list, event, prevStage);
    case kEventDifficultOne:
        return new EVENT_DIFFICULT_ONE(list, event);
    default:
        return nullptr;
    }
}
