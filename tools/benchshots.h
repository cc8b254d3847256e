#pragma once

#include <QPoint>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Match shots written straight into the shots table, for the benchmarks that
// need a large stored competition fast: one prepared statement, bound once a
// shot, inside the caller's transaction.
namespace BenchShots {

inline bool prepareMatchShot(QSqlQuery &query)
{
    return query.prepare(QStringLiteral(
        "INSERT INTO tbullets (fEventID, fMemberID, fRange10, fNumber, fX, fY, fP, "
        "fEventActive, fTime, fFine) VALUES (?, ?, 0, ?, ?, ?, 1, 1, ?, 0)"));
}

// The member's shot of that number at that point (tenths of a millimetre),
// the shots 5 s apart.
inline bool insertMatchShot(QSqlQuery &query, int eventID, int memberID, int number,
                            const QPoint &at)
{
    query.addBindValue(eventID);
    query.addBindValue(memberID);
    query.addBindValue(number);
    query.addBindValue(at.x());
    query.addBindValue(at.y());
    query.addBindValue(number * 50);
    return query.exec();
}

} // namespace BenchShots
