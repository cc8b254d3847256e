#include "fileconnections.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QStringList>

namespace FileConnections {

void closeAll(const QString &databasePath)
{
    const QString file = QFileInfo(databasePath).absoluteFilePath();
    for (const QString &name : QSqlDatabase::connectionNames()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        // The driver finishes the statements of every query on the
        // connection before it closes it: none keeps it open behind it.
        if (db.isOpen() && QFileInfo(db.databaseName()).absoluteFilePath() == file)
            db.close();
    }
}

bool anyOpen(const QString &databasePath)
{
    const QString file = QFileInfo(databasePath).absoluteFilePath();
    for (const QString &name : QSqlDatabase::connectionNames()) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && QFileInfo(db.databaseName()).absoluteFilePath() == file)
            return true;
    }
    return false;
}

} // namespace FileConnections
