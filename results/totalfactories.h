#pragma once

class QAbstractItemModel;
class TBulletList;
class TUserModul;
class TViewBulletList;
class TViewModul;

// The only places where a competition type or an exercise type chooses its
// totals table. Every model returned is new, without parent, and the caller
// deletes it, except the series model of createEventTotalModel (see there).

// The standings of the module's current competition by its type, over the shot
// lists of its first (and, for the pistol match, second) exercise; null when
// the type has no table or a list it needs is missing.
QAbstractItemModel *createCompetitionTotalModel(TUserModul *modul);

// The same choice over the stored lists of a competition's first two
// exercises, for the results viewer; the pistol match is built also without a
// second list. Null for a type without a table or without a first list.
QAbstractItemModel *createStoredTotalModel(int competitionType, TViewBulletList *first,
                                           TViewBulletList *second);

// The standings of the competition open in the results viewer, over its
// stored lists (see createStoredTotalModel).
QAbstractItemModel *createViewTotalModel(TViewModul *modul);

// The total of one exercise: for types 1 to 3 the list's own series model,
// which the list owns; for type 6 a new compact three-position table.
QAbstractItemModel *createEventTotalModel(TBulletList *list, int typeID, int subType);
