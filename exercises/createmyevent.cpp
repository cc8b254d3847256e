#include "createmyevent.h"

#include "event_difficult_one.h"
#include "event_simple_one.h"
#include "tevent.h"

MyEvent *createMyEvent(TBulletList *list, TEvent *event, TBulletList *prevStage)
{
    Q_UNUSED(prevStage)
    if (!event)
        return nullptr;
    switch (event->typeXMLID()) {
    case kEventSimpleOne:
        return new EVENT_SIMPLE_ONE(list, event);
    case kEventDifficultOne:
        return new EVENT_DIFFICULT_ONE(list, event);
    default:
        return nullptr;
    }
}
