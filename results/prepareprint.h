#pragma once

class TBulletList;
class TEvent;
class TPrintData;
class TUserModul;

// The result report of a one-position exercise of 40 or 60 match shots of
// the current competition: chooses the template, sets the report's variables
// and hands over one row per member place of the exercise's shot list.
// False, with the print module untouched, when the exercise has no report
// (another type, another shot count) or a competition, the exercise or its
// shot list is missing.
bool preparePrint(TPrintData *printData, TUserModul *module, TEvent *event, int relay);

// One row per place of the list in its rank order: running number, family
// name, first name, year of birth, qualification, start number, one cell per
// series of ten match shots and the total. False only without a print module
// or a list.
bool fillPrintRows(TPrintData *printData, TBulletList *list, TUserModul *module, int seriesCount);
