#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class TdbAccessor;

// Reading the fields of the row under the accessor's cursor. Each reader
// answers false when the field is missing or does not convert, and then leaves
// its output alone; the caller writes "Cannot load data:" and gives up the row.
namespace DbFields {

bool readInt(const TdbAccessor *db, const QString &field, int *value);
bool readText(const TdbAccessor *db, const QString &field, QString *value);
// A stored "yyyy-MM-dd HH:mm:ss": its date part, and its time part.
bool readDate(const TdbAccessor *db, const QString &field, QDate *value);
bool readTime(const TdbAccessor *db, const QString &field, QTime *value);

// The fields of a "tbullets" row that make its shot again. The stored value
// is not among them: a shot is always scored again from its coordinates.
struct ShotRow
{
    int id = 0;
    int memberID = 0;
    int number = 0;
    int x = 0;
    int y = 0;
    int positionCode = 0;
    int time = 0;
    int fine = 0;
};
// False when any of them is missing or does not convert.
bool readShotRow(const TdbAccessor *db, ShotRow *row);

// The debug line of a field that cannot be read.
void logCannotLoad(const QString &field);

} // namespace DbFields
