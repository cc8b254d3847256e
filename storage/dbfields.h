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

// The debug line of a field that cannot be read.
void logCannotLoad(const QString &field);

} // namespace DbFields
