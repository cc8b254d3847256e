#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include "datapaths.h"

// What a database file of the run folder holds, read or changed through a
// connection of the test's own, as another program would see the file.
// Without a file name: the practice roster, "shooters.sqlite".
namespace StoredRows {

inline const QString kConnection = QStringLiteral("check");

inline QString databasePath(const QString &file)
{
    return DataPaths::path(DataPaths::kDataBaseDir, file);
}

// Each row's columns in statement order; empty when the statement failed.
inline QList<QVariantList> rows(const QString &statement,
                                const QString &file = DataPaths::kShootersDb)
{
    QList<QVariantList> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(databasePath(file));
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

inline bool exec(const QString &statement, const QString &file = DataPaths::kShootersDb)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(databasePath(file));
        ok = db.open() && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return ok;
}

} // namespace StoredRows
