// Operations on exercises and shots.
#include "tdbaccessor.h"

#include "sqlvalues.h"
#include "tbullet.h"
#include "tevent.h"

void TdbAccessor::selectEventBullets(int eventID)
{
    execSelect(QStringLiteral("SELECT * FROM tbullets WHERE fEventID=? ORDER BY fNumber"), {eventID});
}

void TdbAccessor::selectMemberBullets(int eventID, int memberID)
{
    execSelect(QStringLiteral("SELECT * FROM tbullets WHERE fEventID=? AND fMemberID=? ORDER BY fNumber"),
               {eventID, memberID});
}

void TdbAccessor::selectFinalEvents(int competitionID)
{
    execSelect(QStringLiteral("SELECT * FROM TEvents WHERE fCompetitionID=? AND fFinal=1"),
               {competitionID});
}

void TdbAccessor::selectEventsByType(int competitionID, int typeXMLID)
{
    execSelect(QStringLiteral("SELECT * FROM TEvents WHERE fCompetitionID=? AND fTypeXMLID=?"),
               {competitionID, typeXMLID});
}

bool TdbAccessor::setEventFinished(int eventID, bool finished)
{
    if (!isEventExist(eventID))
        return false;
    return execQuery(QStringLiteral("UPDATE TEvents SET fFinished=? WHERE ID=?"),
                     {sqlBool(finished), eventID});
}

bool TdbAccessor::setEventStartDate(int eventID, const QDate &date, const QTime &time)
{
    if (!isEventExist(eventID))
        return false;
    return execQuery(QStringLiteral("UPDATE TEvents SET fStartDate=? WHERE ID=?"),
                     {dateTimeSql(date, time), eventID});
}

bool TdbAccessor::setBulletFine(int bulletID, int fine)
{
    return execQuery(QStringLiteral("UPDATE Tbullets SET fFine = ? WHERE ID=?"), {fine, bulletID});
}

bool TdbAccessor::deleteBullet(int bulletID)
{
    return execQuery(QStringLiteral("DELETE FROM tbullets WHERE ID=?"), {bulletID});
}

bool TdbAccessor::deleteBullet(int eventID, const DbFields::ShotRow &shot)
{
    return execQuery(QStringLiteral("DELETE FROM tbullets WHERE fEventID=? AND fMemberID=? AND "
                                    "fNumber=? AND fX=? AND fY=? AND fP=? AND fTime=?"),
                     {eventID, shot.memberID, shot.number, shot.x, shot.y, shot.positionCode,
                      shot.time});
}

bool TdbAccessor::deleteEvent(int eventID)
{
    return inTransaction([&] {
        return execAll({{QStringLiteral("DELETE FROM tevents WHERE ID=?"), {eventID}},
                        {QStringLiteral("DELETE FROM trelays WHERE fEventID=?"), {eventID}},
                        {QStringLiteral("DELETE FROM tbullets WHERE fEventID=?"), {eventID}}});
    });
}

bool TdbAccessor::deleteFinalEvents(int competitionID)
{
    return inTransaction([&] {
        const bool ran = execSelect(
            QStringLiteral("SELECT * FROM TEvents WHERE fCompetitionID=? AND fFinal=1"),
            {competitionID});
        // Of several finals only the last one read goes; a type has one.
        int eventID = -1;
        bool found = false;
        while (m_recordSet.next()) {
            bool ok = false;
            eventID = m_recordSet.value(QStringLiteral("ID"), &ok).toInt(&ok);
            if (!ok)
                return false;
            found = true;
        }
        if (!found || !ran)
            return false;
        return deleteEvent(eventID);
    });
}

namespace {

// The stored form of a shot, in the column order of the insert and update:
// member, value in points, number, time, x, y, place code, always active, fine.
QVariantList bulletValues(const TBullet *bullet)
{
    constexpr int kEventActive = 1;
    const DbFields::ShotRow row = TdbAccessor::bulletRow(bullet);
    return {row.memberID, bullet->range(), row.number, row.time,  row.x,
            row.y,        row.positionCode, kEventActive, row.fine};
}

} // namespace

DbFields::ShotRow TdbAccessor::bulletRow(const TBullet *bullet)
{
    DbFields::ShotRow row;
    row.id = bullet->id();
    row.memberID = bullet->memberID();
    row.number = bullet->number();
    row.x = bullet->point().x();
    row.y = bullet->point().y();
    // The place code goes in as the signed byte the target sent.
    row.positionCode = qint8(quint8(bullet->positionCode()));
    row.time = bullet->time();
    row.fine = bullet->fine();
    return row;
}

int TdbAccessor::insertEvent(const TEvent *event, int competitionID)
{
    return insertWithNextKey(
        TableEvents,
        QStringLiteral("INSERT INTO TEvents (ID, fCompetitionID, fTypeXMLID, fFinal, fFinished, "
                       "fStartDate) VALUES (?, ?, ?, ?, ?, ?)"),
        {competitionID, event->typeXMLID(), sqlBool(event->isFinal()),
         sqlBool(event->isFinished()), event->startDateTimeSql()});
}

bool TdbAccessor::updateEvent(int eventID, const TEvent *event, int competitionID)
{
    if (!isEventExist(eventID))
        return false;
    return execQuery(QStringLiteral("UPDATE TEvents SET fCompetitionID=?, fTypeXMLID=?, fFinal=?, "
                                    "fFinished=?, fStartDate=? WHERE ID=?"),
                     {competitionID, event->typeXMLID(), sqlBool(event->isFinal()),
                      sqlBool(event->isFinished()), event->startDateTimeSql(), eventID});
}

int TdbAccessor::insertBullet(const TBullet *bullet, int eventID)
{
    return insertWithNextKey(
        TableBullets,
        QStringLiteral("INSERT INTO Tbullets (ID, fEventID, fMemberID, fRange10, fNumber, fTime, "
                       "fX, fY, fP, fEventActive, fFine) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        QVariantList{eventID} + bulletValues(bullet));
}

bool TdbAccessor::updateBullet(int bulletID, int eventID, const TBullet *bullet)
{
    return execQuery(QStringLiteral("UPDATE Tbullets SET fEventID = ?, fMemberID = ?, fRange10 = ?, "
                                    "fNumber = ?, fTime = ?, fX = ?, fY = ?, fP = ?, "
                                    "fEventActive = ?, fFine = ? WHERE ID = ?"),
                     QVariantList{eventID} + bulletValues(bullet) + QVariantList{bulletID});
}
