#include "writeprobe.h"

#include "storageerror.h"

#include <QSqlQuery>
#include <QVariant>

namespace WriteProbe {

bool canWrite(QSqlDatabase &db, QSqlError *cause)
{
    if (!db.isOpen() && !db.open()) {
        if (cause)
            *cause = db.lastError();
        return false;
    }
    const bool written = rewriteVersion(db, cause);
    db.close();
    return written;
}

bool rewriteVersion(QSqlDatabase &db, QSqlError *cause)
{
    if (!db.transaction()) {
        if (cause)
            *cause = db.lastError();
        return false;
    }
    bool written = false;
    {
        QSqlQuery query(db);
        // A pragma takes no bound value; the number is the file's own.
        if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next()) {
            const int version = query.value(0).toInt();
            query.finish();
            written = query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        }
        if (!written && cause)
            *cause = query.lastError();
    }
    db.rollback();
    return written;
}

bool onlyReads(QSqlDatabase &db)
{
    QSqlError refusal;
    return !rewriteVersion(db, &refusal) && storageRefusedAsReadOnly(refusal);
}

} // namespace WriteProbe
