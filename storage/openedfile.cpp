#include "openedfile.h"

#include "fileconnections.h"
#include "sidefiles.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file put at the path during a rewrite is moved aside and the copy
// placed again this often before the rewrite gives up for a second.
constexpr int kPlaceTries = 8;

struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Identity &other) const
    {
        return device == other.device && inode == other.inode;
    }
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

// from renamed to to, or false with errno EEXIST when to is there: never
// over another file. Where the file system cannot refuse so (EINVAL), the
// name was looked at just before.
bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL)
        return false;
    if (QFileInfo::exists(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.constData(), target.constData()) == 0;
}

// The file at path moved to a name of its own: prefix, the moment to the
// millisecond, and a count when that is taken. False with errno ENOENT when
// nothing is at path any more.
bool moveAside(const QString &path, const QString &prefix, QString *aside)
{
    const QString moment =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int count = 1; count < 1000; ++count) {
        *aside = prefix + moment + (count > 1 ? QStringLiteral("-%1").arg(count) : QString());
        if (renameNoReplace(path, *aside))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// copy given the name path too (where the file system has second names), or
// moved there; false with errno EEXIST when a file is at path.
bool placeAt(const QString &copy, const QString &path, bool *secondName)
{
    *secondName = ::link(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData())
        == 0;
    if (*secondName)
        return true;
    if (errno == EEXIST)
        return false;
    return renameNoReplace(copy, path);
}

} // namespace

std::function<void(OpenedFile::RewriteStep)> OpenedFile::s_rewriteSteps;

void OpenedFile::setRewriteSteps(std::function<void(RewriteStep)> steps)
{
    s_rewriteSteps = std::move(steps);
}

bool OpenedFile::noteOpened(const QString &path)
{
    Identity identity;
    const bool found = identityOf(path, &identity);
    const Identity written{m_device, m_inode};
    if (m_expecting && !(found && identity == written))
        return false;
    if (m_expecting && !m_secondName.isEmpty()) {
        Identity second;
        if (identityOf(m_secondName, &second) && second == written)
            QFile::remove(m_secondName);
    }
    m_expecting = false;
    m_secondName.clear();
    m_path = path;
    m_known = found;
    m_away = false;
    m_device = identity.device;
    m_inode = identity.inode;
    m_sinceFound.start();
    return true;
}

bool OpenedFile::moved(bool lookNow)
{
    if (!m_known)
        return false;
    if (!lookNow && !m_away && !m_sinceFound.hasExpired(kLookGapMs))
        return false;
    Identity now;
    m_away = !identityOf(m_path, &now) || !(now == Identity{m_device, m_inode});
    if (!m_away)
        m_sinceFound.start();
    return m_away;
}

void OpenedFile::expect(const OpenedFile &written)
{
    if (&written == this)
        return;
    m_path = written.m_path;
    m_device = written.m_device;
    m_inode = written.m_inode;
    m_known = true;
    m_away = false;
    m_expecting = true;
    m_secondName = written.m_secondName;
}

bool OpenedFile::putBack(QStringList *keptAside)
{
    if (!m_expecting)
        return true;
    const Identity written{m_device, m_inode};
    for (int tries = 0; tries < kPlaceTries; ++tries) {
        Identity now;
        if (identityOf(m_path, &now) && now == written)
            return true;
        Identity second;
        if (m_secondName.isEmpty() || !identityOf(m_secondName, &second) || !(second == written))
            return false;
        QString aside;
        if (moveAside(m_path, m_path + QStringLiteral(".found-"), &aside))
            *keptAside << aside;
        else if (errno != ENOENT)
            return false;
        bool linked = false;
        const bool placed = placeAt(m_secondName, m_path, &linked);
        if (!placed && errno != EEXIST)
            return false;
        if (placed && !linked)
            m_secondName.clear();
    }
    return false;
}

bool OpenedFile::rewrite(QSqlDatabase &db, QStringList *keptAside, QSqlError *cause)
{
    keptAside->clear();
    const QString path = m_path;
    const QString copy = path + QStringLiteral(".rewrite");
    // One left by a program killed in a rewrite may be the only name of the
    // file it wrote: kept aside, never removed.
    QString left;
    if (QFileInfo::exists(copy) && moveAside(copy, copy + QLatin1Char('-'), &left))
        qWarning().noquote() << "An earlier copy of the database is kept as" << left;
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
    Identity written;
    if (!syncToDisk(copy) || !identityOf(copy, &written)) {
        *cause = fileError(QStringLiteral("cannot sync %1").arg(copy));
        QFile::remove(copy);
        return false;
    }
    // Until the copy is in place the connection holds the old file, so
    // nothing is lost when it cannot be: the copy goes, the rewrite is
    // tried again.
    bool placed = false;
    bool secondName = false;
    for (int tries = 0; !placed && tries < kPlaceTries; ++tries) {
        QString aside;
        if (moveAside(path, path + QStringLiteral(".found-"), &aside)) {
            *keptAside << aside;
            if (s_rewriteSteps)
                s_rewriteSteps(RewriteStep::FoundMovedAside);
        } else if (errno != ENOENT) {
            *cause = fileError(QStringLiteral("cannot move %1 aside: %2")
                                   .arg(path, QString::fromLocal8Bit(::strerror(errno))));
            QFile::remove(copy);
            return false;
        }
        placed = placeAt(copy, path, &secondName);
        if (!placed && errno != EEXIST)
            break;
    }
    if (!placed) {
        *cause = fileError(QStringLiteral("cannot move %1 to %2").arg(copy, path));
        QFile::remove(copy);
        return false;
    }
    m_device = written.device;
    m_inode = written.inode;
    m_away = false;
    m_expecting = true;
    m_secondName = secondName ? copy : QString();
    if (s_rewriteSteps)
        s_rewriteSteps(RewriteStep::CopyInPlace);
    // The old file goes with its last connection; the copy holds it all.
    FileConnections::closeAll(path);
    for (const QString &side : SideFiles::existing(path))
        QFile::remove(side);
    syncToDisk(QFileInfo(path).absolutePath());
    return true;
}
