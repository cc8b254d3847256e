#include "writeprobe.h"

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
    bool written = false;
    {
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next()) {
            const int version = query.value(0).toInt();
            written = query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        }
        if (!written && cause)
            *cause = query.lastError();
    }
    db.close();
    return written;
}

} // namespace WriteProbe
