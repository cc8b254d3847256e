#include "runfolderlock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "warnings.h"

namespace {

// Not handed to a program the copy starts: the lock dies with this copy.
int openLockFile(const QByteArray &path)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // Made by another user, or in a folder this user may not write: a lock
    // needs no write access to the file.
    if (fd < 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}

} // namespace

RunFolderLock::~RunFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString RunFolderLock::folder()
{
    return QDir::currentPath();
}

bool RunFolderLock::take(QWidget *parent)
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(QDir(folder()).filePath(QString::fromLatin1(kFileName)));
    const int fd = openLockFile(path);
    if (fd < 0) {
        qWarning("The run folder is not locked: %s: %s", path.constData(), std::strerror(errno));
        return true;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        m_fd = fd;
        return true;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) {
        qWarning("The run folder is not locked: %s: %s", path.constData(), std::strerror(error));
        return true;
    }
    Warnings::warning(parent, QStringLiteral("Программа уже запущена!"),
                      QStringLiteral("Программа уже работает с папкой %1.\n"
                                     "Вторая программа с той же папкой не запускается, чтобы они "
                                     "не испортили данные друг друга. Работайте в открытой "
                                     "программе или закройте её и запустите программу снова.")
                          .arg(QDir::toNativeSeparators(folder())));
    return false;
}
