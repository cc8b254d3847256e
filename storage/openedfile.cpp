#include "openedfile.h"

#include "fileconnections.h"
#include "sidefiles.h"
#include "storageerror.h"
#include "writeprobe.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

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

// A twin of from, synced, made under a passing name beside path and moved
// to path; its identity in placed. False with errno EEXIST when a file is
// at path.
bool placeTwin(const QString &from, const QString &path, Identity *placed)
{
    const QString twin = path + QStringLiteral(".rewrite-twin");
    // Only ever a twin of a copy that keeps its own name.
    QFile::remove(twin);
    if (!QFile::copy(from, twin) || !syncToDisk(twin) || !identityOf(twin, placed)) {
        const int error = errno;
        QFile::remove(twin);
        errno = error == EEXIST ? EIO : error;
        return false;
    }
    if (renameNoReplace(twin, path))
        return true;
    const int error = errno;
    QFile::remove(twin);
    errno = error;
    return false;
}

// copy given the name path too, or, where the file system gives no second
// names, a twin of it put there: the copy keeps its own name either way.
// The identity of the file put at path in placed; false with errno EEXIST
// when a file is at path.
bool placeAt(const QString &copy, const QString &path, bool noSecondNames, Identity *placed)
{
    if (!noSecondNames
        && ::link(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) == 0)
        return identityOf(copy, placed);
    if (!noSecondNames && errno == EEXIST)
        return false;
    return placeTwin(copy, path, placed);
}

// The note names the file whose log and journal are at the path; written
// only when another file is opened there, and synced before SQLite writes
// a log of it.
void noteLogOwner(const QString &path, const Identity &owner)
{
    const QString note = OpenedFile::logOwnerName(path);
    const QByteArray text = QByteArray::number(owner.device) + ' ' + QByteArray::number(owner.inode);
    QFile current(note);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return;
    current.close();
    const QString passing = note + QStringLiteral(".new");
    QFile file(passing);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()
        || !file.flush() || ::fsync(file.handle()) != 0) {
        file.close();
        QFile::remove(passing);
        // A note naming another file would keep this one's log from it.
        QFile::remove(note);
        return;
    }
    file.close();
    if (::rename(QFile::encodeName(passing).constData(), QFile::encodeName(note).constData()) != 0)
        QFile::remove(note);
    syncToDisk(QFileInfo(path).absolutePath());
}

// False when there is no note, or it cannot be read.
bool logOwner(const QString &path, Identity *owner)
{
    QFile note(OpenedFile::logOwnerName(path));
    if (!note.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = note.readAll().split(' ');
    bool device = false;
    bool inode = false;
    if (fields.size() == 2) {
        owner->device = fields.at(0).toULongLong(&device);
        owner->inode = fields.at(1).toULongLong(&inode);
    }
    return device && inode;
}

bool sameBytes(const QString &one, const QString &other)
{
    constexpr qint64 kChunk = 1 << 20;
    QFile a(one);
    QFile b(other);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(kChunk) != b.read(kChunk))
            return false;
    }
    return true;
}

} // namespace

QString OpenedFile::logOwnerName(const QString &path)
{
    return path + QStringLiteral("-log-owner");
}

void OpenedFile::clearLeftovers(const QString &path, QStringList *found)
{
    Identity atPath;
    const bool there = identityOf(path, &atPath);
    for (const QString &suffix : {QStringLiteral(".rewrite"), QStringLiteral(".rewrite-twin")}) {
        const QString left = path + suffix;
        Identity identity;
        if (!identityOf(left, &identity))
            continue;
        QString aside;
        if (there && (identity == atPath || sameBytes(left, path)))
            QFile::remove(left);
        else if (moveAside(left, path + QStringLiteral(".found-"), &aside))
            *found << aside;
    }
    Identity owner;
    if (there && !(logOwner(path, &owner) && !(owner == atPath)))
        return;
    for (const QString &side : {QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        QString aside;
        if (QFileInfo::exists(path + side)
            && moveAside(path + side, path + side + QStringLiteral(".found-"), &aside))
            *found << aside;
    }
    // The index of a log that went.
    QFile::remove(path + QStringLiteral("-shm"));
}

std::function<void(OpenedFile::RewriteStep)> OpenedFile::s_rewriteSteps;
bool OpenedFile::s_secondNamesRefused = false;

void OpenedFile::setRewriteSteps(std::function<void(RewriteStep)> steps)
{
    s_rewriteSteps = std::move(steps);
}

void OpenedFile::setSecondNamesRefused(bool refused)
{
    s_secondNamesRefused = refused;
}

void OpenedFile::step(RewriteStep at)
{
    if (s_rewriteSteps)
        s_rewriteSteps(at);
}

bool OpenedFile::noteOpened(const QString &path)
{
    if (m_expecting)
        step(RewriteStep::CopyOpened);
    Identity identity;
    const bool found = identityOf(path, &identity);
    if (m_expecting && !(found && identity == Identity{m_device, m_inode}))
        return false;
    m_path = path;
    m_known = found;
    m_away = false;
    m_device = identity.device;
    m_inode = identity.inode;
    m_sinceFound.start();
    if (found)
        noteLogOwner(path, identity);
    if (m_expecting)
        step(RewriteStep::CopyTaken);
    return true;
}

bool OpenedFile::proveInPlace(QSqlDatabase &db)
{
    if (!m_expecting)
        return true;
    if (!m_known || !db.isOpen() || !WriteProbe::writeVersion(db))
        return false;
    // SQLite refuses the write of a file moved since it was opened only in
    // some modes: the path says.
    if (moved(true))
        return false;
    Identity kept;
    if (!m_keptName.isEmpty() && identityOf(m_keptName, &kept)
        && kept == Identity{m_keptDevice, m_keptInode})
        QFile::remove(m_keptName);
    m_expecting = false;
    m_keptName.clear();
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

bool OpenedFile::refusedAsMoved(const QSqlError &refusal)
{
    if (storageRefusedAsMoved(refusal)) {
        m_away = m_known;
        return true;
    }
    return storageRefusedAsReadOnly(refusal) && moved(true);
}

bool OpenedFile::onlyReads(QSqlDatabase &db)
{
    QSqlError refusal;
    return !WriteProbe::rewriteVersion(db, &refusal) && storageRefusedAsReadOnly(refusal)
        && !refusedAsMoved(refusal);
}

OpenedFile::Kept OpenedFile::keep(QSqlDatabase &db, bool lookNow, QStringList *keptAside,
                                  QSqlError *cause)
{
    keptAside->clear();
    proveInPlace(db);
    if (!moved(lookNow || m_lost)) {
        if (!m_lost)
            return Kept::AtPath;
        qWarning().noquote() << "Database file" << m_path << "is back at its path";
        m_lost = false;
        return Kept::Back;
    }
    if (m_lost && !lookNow && m_sinceRewrite.isValid() && !m_sinceRewrite.hasExpired(kLookGapMs))
        return Kept::StillLost;
    m_sinceRewrite.start();
    const QString path = m_path;
    if (rewrite(db, keptAside, cause)) {
        qWarning().noquote() << "Database file" << path
                             << "was removed or replaced; written again. Found file kept as:"
                             << *keptAside;
        m_lost = false;
        return Kept::Rewritten;
    }
    if (!moved(true)) {
        qWarning().noquote() << "Database file" << path << "is back at its path";
        return std::exchange(m_lost, false) ? Kept::Back : Kept::AtPath;
    }
    qWarning().noquote() << "Database file" << path << "was removed or replaced and cannot be "
                            "written again:" << cause->text();
    *cause = storageFileGone(*cause, path);
    return std::exchange(m_lost, true) ? Kept::StillLost : Kept::Lost;
}

void OpenedFile::keepBeforeClose(QSqlDatabase &db)
{
    QStringList keptAside;
    QSqlError cause;
    keep(db, true, &keptAside, &cause);
}

void OpenedFile::expect(const OpenedFile &written)
{
    m_lost = false;
    if (&written == this)
        return;
    m_path = written.m_path;
    m_device = written.m_device;
    m_inode = written.m_inode;
    m_known = true;
    m_away = false;
    m_expecting = written.m_expecting;
    m_keptName = written.m_keptName;
    m_keptDevice = written.m_keptDevice;
    m_keptInode = written.m_keptInode;
}

OpenedFile::Opening OpenedFile::beforeOpen(QStringList *keptAside, bool heldElsewhere)
{
    // With none at the path the open fails as for any missing file, and
    // the file written is still waited for.
    if (putBack(keptAside) || !QFileInfo::exists(m_path))
        return Opening::Own;
    if (heldElsewhere)
        return Opening::Held;
    // Its kept name was taken by another program, and no connection holds
    // it: what it held is what the path holds now, if anything.
    qWarning().noquote() << "The database file written again is gone; the file at" << m_path
                         << "is taken as it stands";
    m_expecting = false;
    m_keptName.clear();
    return Opening::TakenAsItStands;
}

bool OpenedFile::putBack(QStringList *keptAside)
{
    if (!m_expecting)
        return true;
    for (int tries = 0; tries < kPlaceTries; ++tries) {
        Identity now;
        if (identityOf(m_path, &now) && now == Identity{m_device, m_inode})
            return true;
        Identity kept;
        if (m_keptName.isEmpty() || !identityOf(m_keptName, &kept)
            || !(kept == Identity{m_keptDevice, m_keptInode}))
            return false;
        QString aside;
        if (moveAside(m_path, m_path + QStringLiteral(".found-"), &aside))
            *keptAside << aside;
        else if (errno != ENOENT)
            return false;
        Identity placed;
        if (placeAt(m_keptName, m_path, s_secondNamesRefused, &placed)) {
            m_device = placed.device;
            m_inode = placed.inode;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool OpenedFile::rewrite(QSqlDatabase &db, QStringList *keptAside, QSqlError *cause)
{
    keptAside->clear();
    const QString path = m_path;
    const QString copy = path + QStringLiteral(".rewrite");
    // One left by a program killed in a rewrite may be the only name of the
    // file it wrote: kept aside, never removed. The one this connection's
    // file keeps goes once the new copy is in place, which holds it all.
    QString left;
    QString superseded;
    Identity leftIdentity;
    if (identityOf(copy, &leftIdentity) && moveAside(copy, copy + QLatin1Char('-'), &left)) {
        if (m_expecting && m_keptName == copy
            && leftIdentity == Identity{m_keptDevice, m_keptInode}) {
            superseded = left;
            m_keptName = left;
        } else {
            qWarning().noquote() << "An earlier copy of the database is kept as" << left;
        }
    }
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
    Identity atPath;
    const Identity held{m_device, m_inode};
    step(RewriteStep::CopyWritten);
    for (int tries = 0; !placed && tries < kPlaceTries; ++tries) {
        // The file held came back meanwhile (its folder moved back): it is
        // no other's, and stays.
        Identity found;
        if (identityOf(path, &found) && found == held) {
            QFile::remove(copy);
            *cause = QSqlError();
            return false;
        }
        QString aside;
        if (moveAside(path, path + QStringLiteral(".found-"), &aside)) {
            *keptAside << aside;
            step(RewriteStep::FoundMovedAside);
        } else if (errno != ENOENT) {
            *cause = fileError(QStringLiteral("cannot move %1 aside: %2")
                                   .arg(path, QString::fromLocal8Bit(::strerror(errno))));
            QFile::remove(copy);
            return false;
        }
        placed = placeAt(copy, path, s_secondNamesRefused, &atPath);
        if (!placed && errno != EEXIST)
            break;
    }
    if (!placed) {
        *cause = fileError(QStringLiteral("cannot move %1 to %2").arg(copy, path));
        QFile::remove(copy);
        return false;
    }
    m_device = atPath.device;
    m_inode = atPath.inode;
    m_away = false;
    m_expecting = true;
    m_keptName = copy;
    m_keptDevice = written.device;
    m_keptInode = written.inode;
    step(RewriteStep::CopyInPlace);
    // The old file goes with its last connection; the copy holds it all.
    FileConnections::closeAll(path);
    for (const QString &side : SideFiles::existing(path))
        QFile::remove(side);
    noteLogOwner(path, atPath);
    if (!superseded.isEmpty())
        QFile::remove(superseded);
    syncToDisk(QFileInfo(path).absolutePath());
    return true;
}
