#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include "benchshots.h"
#include "tdbaccessor.h"

// The stored competition the benchmarks measure: competition type 1 (one
// exercise of 60 shots in tenths, or more exercises of type 1 when the type
// list of the run folder gives it more), 100 members of 8 teams in relays of
// 10, each with 60 match shots in every exercise, written straight into the
// database of the current folder. The exercises have the keys 1, 2, ...
namespace BenchCompetition {

constexpr int kMembers = 100;
constexpr int kShotsPerMember = 60;
constexpr int kTeams = 8;
constexpr int kRelaySize = 10;
constexpr int kCompetitionID = 1;
constexpr int kEventID = 1;
constexpr int kRussia = 2;

inline bool exec(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    if (!query.prepare(statement))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// The competition, its shooters, teams, members, relays and shots, in one
// transaction on a connection of its own.
inline bool storeCompetition(int events = 1)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(TdbAccessor::databasePath());
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok
            && exec(q, QStringLiteral("INSERT INTO tcompetitions VALUES (?, 0, ?, 1, 0, ?, ?)"),
                    {kCompetitionID, kRussia, QStringLiteral("2024-05-01 09:00:00"),
                     QStringLiteral("Bench Cup")});
        for (int event = kEventID; ok && event < kEventID + events; ++event)
            ok = exec(q, QStringLiteral("INSERT INTO tevents VALUES (?, ?, 1, 0, 0, ?)"),
                      {event, kCompetitionID, QStringLiteral("2024-05-01 09:00:00")});
        for (int team = 1; ok && team <= kTeams; ++team)
            ok = exec(q, QStringLiteral("INSERT INTO tteam VALUES (?, ?, ?, ?)"),
                      {team, QStringLiteral("Team %1").arg(team), kRussia + team % 3,
                       QStringLiteral("T%1").arg(team)});
        ok = ok && exec(q, QStringLiteral("INSERT INTO tqualifications VALUES (1, 'Master', 'ms')"), {});
        for (int m = 1; ok && m <= kMembers; ++m) {
            ok = exec(q, QStringLiteral("INSERT INTO tshooters VALUES (?, ?, ?, ?, ?, ?, ?, 1)"),
                      {m, QStringLiteral("Name%1").arg(m), QStringLiteral("Family%1").arg(m),
                       QStringLiteral("1990-01-01 00:00:00"), m % 2, kRussia + m % 5,
                       1 + m % kTeams})
                && exec(q, QStringLiteral("INSERT INTO tmembers VALUES (?, ?, ?, ?)"),
                        {m, kCompetitionID, m, m});
            for (int event = kEventID; ok && event < kEventID + events; ++event)
                ok = exec(q, QStringLiteral("INSERT INTO trelays VALUES (?, ?, ?, ?)"),
                          {event, m, 1 + (m - 1) % kRelaySize, 1 + (m - 1) / kRelaySize});
        }
        ok = ok && BenchShots::prepareMatchShot(q);
        for (int i = 0; ok && i < events * kMembers; ++i) {
            const int event = kEventID + i / kMembers;
            const int m = 1 + i % kMembers;
            for (int number = 1; ok && number <= kShotsPerMember; ++number) {
                const QPoint at((number * 37 + m * 11) % 200, (number * 91 + m * 7) % 200);
                ok = BenchShots::insertMatchShot(q, event, m, number, at);
            }
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

} // namespace BenchCompetition
