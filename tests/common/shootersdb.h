#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include "datapaths.h"

// What the practice roster's file "shooters.sqlite" of the run folder holds,
// read or changed through a connection of the test's own, as another program
// would see the file.
namespace ShootersDb {

inline const QString kConnection = QStringLiteral("shootersdb");

// Each row's columns in statement order; empty when the statement failed.
inline QList<QVariantList> rows(const QString &statement)
{
    QList<QVariantList> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(DataPaths::path(DataPaths::kDataBaseDir, DataPaths::kShootersDb));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row.append(query.value(i));
                    result.append(row);
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return result;
}

inline bool exec(const QString &statement)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(DataPaths::path(DataPaths::kDataBaseDir, DataPaths::kShootersDb));
        ok = db.open() && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return ok;
}

} // namespace ShootersDb
