#include "sqlstatement.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

bool runBound(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    query.setForwardOnly(true);
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(statement);
    } else if (query.prepare(statement)) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        logStatementFailure(statement, query.lastError().text());
    return ok;
}

void logStatementFailure(const QString &statement, const QString &driverError)
{
    qWarning().noquote() << "Unable to execute query - " + statement.trimmed() << driverError;
}
