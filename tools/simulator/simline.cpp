#include "simline.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kReadChunk = 4096;
constexpr int kPathSize = 256;

bool makeRaw(int fd)
{
    termios settings {};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}
} // namespace

SimPtyLine::~SimPtyLine()
{
    unplug();
}

bool SimPtyLine::plug()
{
    if (isPlugged())
        return true;
    int master = -1;
    int slave = -1;
    char name[kPathSize] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw on both sides: no echo, and 0x0A, 0x0D, 0x11 and friends pass untouched.
    if (!makeRaw(slave) || !makeRaw(master)) {
        ::close(master);
        ::close(slave);
        return false;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_masterFd = master;
    m_slaveFd = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_masterFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimPtyLine::readMaster);
    return true;
}

void SimPtyLine::unplug()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_masterFd >= 0)
        ::close(m_masterFd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_masterFd = -1;
    m_slaveFd = -1;
}

void SimPtyLine::send(quintptr, const QByteArray &bytes)
{
    if (!isPlugged() || bytes.isEmpty())
        return;
    // The pty buffer holds far more than any answer; a full buffer means the
    // program stopped reading, and a real line would lose the bytes as well.
    const ssize_t written = ::write(m_masterFd, bytes.constData(), static_cast<size_t>(bytes.size()));
    Q_UNUSED(written)
}

void SimPtyLine::readMaster()
{
    char chunk[kReadChunk];
    QByteArray bytes;
    for (;;) {
        const ssize_t n = ::read(m_masterFd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<int>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!bytes.isEmpty())
        emit bytesReceived(0, bytes);
}

SimTcpLine::SimTcpLine(quint16 port, QObject *parent) : SimLine(parent), m_port(port) {}

SimTcpLine::~SimTcpLine()
{
    unplug();
}

bool SimTcpLine::plug()
{
    if (isPlugged())
        return true;
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::LocalHost, m_port)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    m_port = m_server->serverPort();
    connect(m_server, &QTcpServer::newConnection, this, &SimTcpLine::acceptClients);
    return true;
}

void SimTcpLine::unplug()
{
    for (QTcpSocket *client : qAsConst(m_clients)) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    }
    m_clients.clear();
    delete m_server;
    m_server = nullptr;
}

bool SimTcpLine::isPlugged() const
{
    return m_server && m_server->isListening();
}

QString SimTcpLine::endpoint() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void SimTcpLine::send(quintptr client, const QByteArray &bytes)
{
    for (QTcpSocket *socket : qAsConst(m_clients)) {
        if (client == 0 || reinterpret_cast<quintptr>(socket) == client)
            socket->write(bytes);
    }
}

void SimTcpLine::acceptClients()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_clients.append(socket);
        const quintptr id = reinterpret_cast<quintptr>(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, id] { emit bytesReceived(id, socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_clients.removeOne(socket);
            socket->deleteLater();
        });
    }
}
