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
    const bool written = rewriteVersion(db, cause);
    db.close();
    return written;
}

namespace {

bool writeVersionBack(QSqlDatabase &db, bool commit, QSqlError *cause)
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
    if (written && commit && db.commit())
        return true;
    if (written && commit && cause)
        *cause = db.lastError();
    db.rollback();
    return written && !commit;
}

} // namespace

bool rewriteVersion(QSqlDatabase &db, QSqlError *cause)
{
    return writeVersionBack(db, false, cause);
}

bool writeVersion(QSqlDatabase &db, QSqlError *cause)
{
    return writeVersionBack(db, true, cause);
}

} // namespace WriteProbe
