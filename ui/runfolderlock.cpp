#include "runfolderlock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "datapaths.h"
#include "warnings.h"

namespace {

// Why a folder could not be locked, in the operator's words.
QString refusal(const QString &folder, int error)
{
    const QString why = error == ENOENT ? QStringLiteral("папки нет")
        : error == EACCES || error == EPERM
        ? QStringLiteral("у пользователя программы нет права чтения папки")
        : QStringLiteral("система не даёт заблокировать папку (%1)")
              .arg(QString::fromLocal8Bit(std::strerror(error)));
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(folder), why);
}

// The folder opened and locked: its descriptor, or -1 with errno saying
// why not (EWOULDBLOCK: another holds it). Not handed to a program the
// copy starts: the lock dies with this copy.
int lockedFolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int locked = -1;
    while (fd >= 0 && (locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (fd < 0 || locked == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

} // namespace

RunFolderLock::~RunFolderLock()
{
    release();
}

void RunFolderLock::release()
{
    for (int fd : qAsConst(m_fds))
        ::close(fd);
    m_fds.clear();
}

QString RunFolderLock::folder()
{
    return QDir::currentPath();
}

QStringList RunFolderLock::lockedFolders()
{
    return {QStringLiteral("."), DataPaths::kServerDatasDir, DataPaths::kDataBaseDir.mid(1)};
}

bool RunFolderLock::take(QWidget *parent)
{
    if (!m_fds.isEmpty())
        return true;
    QStringList unlocked;
    for (const QString &relative : lockedFolders()) {
        const QString path = QDir::cleanPath(QDir(folder()).filePath(relative));
        const int fd = lockedFolder(path);
        if (fd >= 0) {
            m_fds.append(fd);
            continue;
        }
        const int error = errno;
        if (error == EWOULDBLOCK) {
            release();
            Warnings::warning(
                parent, QStringLiteral("Программа уже запущена!"),
                QStringLiteral("Программа уже работает с папкой %1.\n"
                               "Вторая программа с той же папкой не запускается, чтобы они "
                               "не испортили данные друг друга. Работайте в открытой "
                               "программе или закройте её и запустите программу снова.")
                    .arg(QDir::toNativeSeparators(folder())));
            return false;
        }
        unlocked << refusal(path, error);
    }
    if (!m_fds.isEmpty())
        return true;
    Warnings::warning(
        parent, QStringLiteral("Папка программы не заблокирована!"),
        QStringLiteral("Программа не может заблокировать ни одну из своих папок, чтобы вторая "
                       "программа с той же папкой не запустилась:\n%1\n"
                       "Две программы с одной Базой Данных испортили бы данные друг друга, "
                       "поэтому База Данных не открывается и программа не запускается. "
                       "Устраните причину хотя бы для одной из этих папок и запустите "
                       "программу снова.")
            .arg(unlocked.join(QLatin1Char('\n'))));
    return false;
}
