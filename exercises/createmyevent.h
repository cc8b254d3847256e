#pragma once

class MyEvent;
class TBulletList;
class TEvent;

// Exercise types that have a running exercise.
enum MyEventType {
    kEventSimpleOne = 1,
    kEventPrecisionStage = 2,
    kEventRapidFireStage = 3,
    kEventDifficultOne = 6
};

// The running exercise for an exercise record, chosen by its type, over the
// run's shot list (prevStage: the shot list of the preceding precision stage,
// for the rapid-fire stage). nullptr for a type that has no running exercise.
// The caller owns the result.
MyEvent *createMyEvent(TBulletList *list, TEvent *event, TBulletList *prevStage);
