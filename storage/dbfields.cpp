#include "dbfields.h"

#include "tdbaccessor.h"

#include <QDebug>

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");

// The stored date-and-time text split at its blank: date part, time part.
bool readDateTimePart(const TdbAccessor *db, const QString &field, int part, QString *text)
{
    bool ok = false;
    const QVariant value = db->value(field, &ok);
    if (!ok || value.isNull())
        return false;
    const QStringList parts = value.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (part >= parts.size())
        return false;
    *text = parts.at(part);
    return true;
}

} // namespace

namespace DbFields {

bool readInt(const TdbAccessor *db, const QString &field, int *value)
{
    bool ok = false;
    const QVariant stored = db->value(field, &ok);
    if (!ok || stored.isNull())
        return false;
    const int converted = stored.toInt(&ok);
    if (!ok)
        return false;
    *value = converted;
    return true;
}

bool readText(const TdbAccessor *db, const QString &field, QString *value)
{
    bool ok = false;
    const QVariant stored = db->value(field, &ok);
    if (!ok)
        return false;
    *value = stored.toString();
    return true;
}

bool readDate(const TdbAccessor *db, const QString &field, QDate *value)
{
    QString text;
    if (!readDateTimePart(db, field, 0, &text))
        return false;
    const QDate date = QDate::fromString(text, kDateFormat);
    if (!date.isValid())
        return false;
    *value = date;
    return true;
}

bool readTime(const TdbAccessor *db, const QString &field, QTime *value)
{
    QString text;
    if (!readDateTimePart(db, field, 1, &text))
        return false;
    const QTime time = QTime::fromString(text, kTimeFormat);
    if (!time.isValid())
        return false;
    *value = time;
    return true;
}

bool readShotRow(const TdbAccessor *db, ShotRow *row)
{
    ShotRow read;
    if (!readInt(db, QStringLiteral("ID"), &read.id)
        || !readInt(db, QStringLiteral("fMemberID"), &read.memberID)
        || !readInt(db, QStringLiteral("fNumber"), &read.number)
        || !readInt(db, QStringLiteral("fX"), &read.x)
        || !readInt(db, QStringLiteral("fY"), &read.y)
        || !readInt(db, QStringLiteral("fP"), &read.positionCode)
        || !readInt(db, QStringLiteral("fTime"), &read.time)
        || !readInt(db, QStringLiteral("fFine"), &read.fine))
        return false;
    *row = read;
    return true;
}

void logCannotLoad(const QString &field)
{
    qDebug().noquote() << "Cannot load data:" << field;
}

} // namespace DbFields
