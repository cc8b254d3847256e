#include "openedfile.h"

#include "fileconnections.h"
#include "sidefiles.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
};

bool identityOf(const QString &path, Identity *identity)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    identity->device = quint64(info.st_dev);
    identity->inode = quint64(info.st_ino);
    return true;
}

// The file's content, or the folder's list of names, on the disk.
bool syncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QSqlError fileError(const QString &what)
{
    return QSqlError(QStringLiteral("File system"), what, QSqlError::ConnectionError);
}

} // namespace

void OpenedFile::noteOpened(const QString &path)
{
    Identity identity;
    m_path = path;
    m_known = identityOf(path, &identity);
    m_device = identity.device;
    m_inode = identity.inode;
    m_sinceFound.start();
}

bool OpenedFile::moved(bool lookNow)
{
    if (!m_known)
        return false;
    if (!lookNow && !m_sinceFound.hasExpired(kLookGapMs))
        return false;
    Identity now;
    if (!identityOf(m_path, &now) || now.device != m_device || now.inode != m_inode)
        return true;
    m_sinceFound.start();
    return false;
}

bool OpenedFile::rewrite(QSqlDatabase &db, const QString &path, QString *keptAside,
                         QSqlError *cause)
{
    keptAside->clear();
    const QString copy = path + QStringLiteral(".rewrite");
    QFile::remove(copy); // one a killed program left half made
    {
        QSqlQuery query(db);
        // The copy is one snapshot of everything the connection sees, the
        // log's frames included.
        query.prepare(QStringLiteral("VACUUM INTO ?"));
        query.addBindValue(copy);
        if (!query.exec()) {
            *cause = query.lastError();
            QFile::remove(copy);
            return false;
        }
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!syncToDisk(copy)) {
        *cause = fileError(QStringLiteral("cannot sync %1").arg(copy));
        QFile::remove(copy);
        return false;
    }
    if (QFileInfo::exists(path)) {
        const QString aside = path + QStringLiteral(".found-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, aside)) {
            *cause = fileError(QStringLiteral("cannot move %1 to %2").arg(path, aside));
            QFile::remove(copy);
            return false;
        }
        *keptAside = aside;
    }
    // The old file goes with its last connection; the copy holds it all.
    FileConnections::closeAll(path);
    for (const QString &side : SideFiles::existing(path))
        QFile::remove(side);
    if (!QFile::rename(copy, path)) {
        *cause = fileError(QStringLiteral("cannot move %1 to %2").arg(copy, path));
        qWarning().noquote() << "The database's copy waits under" << copy;
        return false;
    }
    syncToDisk(folder);
    return true;
}
