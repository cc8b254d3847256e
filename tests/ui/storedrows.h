#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include "tdbaccessor.h"

// The competitions database as the program left it, read through a connection
// of its own: the columns of the first row the statement selects, empty when
// it selects none.
inline QVariantList storedRow(const QString &statement, const QVariantList &values = {})
{
    const QString connection = QStringLiteral("storedrows");
    QVariantList row;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(TdbAccessor::databasePath());
        QSqlQuery query(db);
        if (db.open() && query.prepare(statement)) {
            for (const QVariant &value : values)
                query.addBindValue(value);
            if (query.exec() && query.next()) {
                for (int column = 0; column < query.record().count(); ++column)
                    row << query.value(column);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return row;
}

inline int storedCount(const QString &table)
{
    // The table name comes from the test itself.
    return storedRow(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).value(0).toInt();
}
