#include "sidefiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

const char *const kSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

namespace SideFiles {

QStringList existing(const QString &databasePath)
{
    QStringList files;
    for (const char *suffix : kSuffixes) {
        const QString file = databasePath + QLatin1String(suffix);
        if (QFileInfo::exists(file))
            files << file;
    }
    return files;
}

void removeAll(const QString &databasePath)
{
    QFile::remove(databasePath);
    for (const char *suffix : kSuffixes)
        QFile::remove(databasePath + QLatin1String(suffix));
}

bool makeWritableLike(const QString &databasePath, const QStringList &files)
{
    const QFileInfo database(databasePath);
    if (!database.isWritable())
        return false;
    bool writable = true;
    for (const QString &file : files) {
        const QFileInfo side(file);
        if (side.exists() && !side.isWritable())
            writable = QFile::setPermissions(file, database.permissions()) && writable;
    }
    return writable;
}

QString stamp(const QString &databasePath)
{
    QString stamp;
    for (const QString &file : QStringList{databasePath} + existing(databasePath)) {
        const QFileInfo info(file);
        if (!info.exists())
            continue;
        stamp += QStringLiteral("%1:%2:%3").arg(file).arg(int(info.permissions())).arg(info.ownerId());
        // Readers write to the index through its mapping, and writers to the
        // log: only the database file's own changes count.
        if (file == databasePath)
            stamp += QLatin1Char(':') + QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
        stamp += QLatin1Char(';');
    }
    return stamp;
}

} // namespace SideFiles
