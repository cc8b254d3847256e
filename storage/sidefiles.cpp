#include "sidefiles.h"

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

} // namespace SideFiles
