#include "storedrows.h"

#include <QSqlDatabase>
#include <QSqlRecord>

#include "tdbaccessor.h"

StoredRows::StoredRows()
    : m_connection(QStringLiteral("storedrows-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{
}

StoredRows::~StoredRows()
{
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlQuery StoredRows::prepared(const QString &statement, const QVariantList &values)
{
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
        ? QSqlDatabase::database(m_connection, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isOpen()) {
        db.setDatabaseName(TdbAccessor::databasePath());
        db.open();
    }
    QSqlQuery query(db);
    query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query;
}

Rows StoredRows::rows(const QString &statement, const QVariantList &values)
{
    QSqlQuery select = prepared(statement, values);
    Rows result;
    for (bool ok = select.exec() && select.next(); ok; ok = select.next()) {
        QVariantList row;
        for (int column = 0; column < select.record().count(); ++column)
            row.append(select.value(column));
        result.append(row);
    }
    return result;
}

bool StoredRows::exec(const QString &statement, const QVariantList &values)
{
    return prepared(statement, values).exec();
}
