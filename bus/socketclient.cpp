#include "socketclient.h"

#include "waitms.h"

#include <QElapsedTimer>

namespace {

constexpr int kNoPort = -1;
constexpr int kConnectWaitMs = 1000;
constexpr int kProbeWaitMs = 100;
constexpr int kAnswerWaitMs = 1000;

enum ErrorCode {
    kWriteFailed = 1,
    kHostNotFound = 2,
    kRemoteClosed = 3,
    kConnectionRefused = 4,
    kOtherError = 5,
};

} // namespace

socketClient::socketClient()
    : socket(std::make_unique<QTcpSocket>())
{
}

socketClient::~socketClient()
{
    // Leaving the host must not report upward into a port set being destroyed.
    socket->disconnect(this);
    disconnectFromHost();
}

void socketClient::setHost(const QString &hostAddress, int tcpPort, quint8 address, bool connectNow)
{
    host = hostAddress;
    port = tcpPort;
    converterAddress = address;
    if (connectNow)
        connectToHost();
}

void socketClient::connectToHost()
{
    if (socket->state() == QAbstractSocket::ConnectedState)
        disconnectFromHost();
    connect(socket.get(), &QTcpSocket::connected, this, &socketClient::slotConnected,
            Qt::UniqueConnection);
    connect(socket.get(), &QTcpSocket::disconnected, this, &socketClient::slotDisconnected,
            Qt::UniqueConnection);
    connectReadyRead();
    connect(socket.get(), &QTcpSocket::errorOccurred, this, &socketClient::slotError,
            Qt::UniqueConnection);
    socket->connectToHost(host, static_cast<quint16>(port), QIODevice::ReadWrite,
                          QAbstractSocket::AnyIPProtocol);
    QElapsedTimer clock;
    clock.start();
    while ((socket->state() == QAbstractSocket::HostLookupState
            || socket->state() == QAbstractSocket::ConnectingState)
           && clock.elapsed() < kConnectWaitMs)
        waitForSignal(socket.get(), &QTcpSocket::stateChanged,
                      static_cast<int>(kConnectWaitMs - clock.elapsed()));
}

void socketClient::disconnectFromHost()
{
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::ClosingState)
        waitForSignal(socket.get(), &QTcpSocket::disconnected, kConnectWaitMs);
}

void socketClient::moveSocketToThread()
{
    disconnectFromHost();
    socket->moveToThread(thread());
}

bool socketClient::write(const QByteArray &frame)
{
    if (!connected) {
        emit sig_Error(kNoPort, kWriteFailed);
        return false;
    }
    // Whatever the converter was saying is over once the master speaks.
    deliver(buffer.lineTurned());
    const QByteArray bytes = frameWithCrc(frame);
    if (socket->write(bytes) < bytes.size()) {
        emit sig_Error(kNoPort, kWriteFailed);
        return false;
    }
    socket->flush(); // leave now: the gaps between frames are kept between these calls
    emit sig_DataWrited(kNoPort, kNoPort, bytes);
    return true;
}

void socketClient::slotReadyRead()
{
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    emit sig_DataReaded(kNoPort, kNoPort, bytes);
    deliver(buffer.receive(bytes));
}

void socketClient::deliver(const QList<QByteArray> &frames)
{
    for (const QByteArray &frame : frames)
        emit sig_Answer(kNoPort, kNoPort, frame);
}

bool socketClient::findConverter(quint8 address)
{
    found = false;
    if (!connected) {
        // Only starts the connection; the next search probes over it.
        connectToHost();
        emit sig_PortFounded(kNoPort, kNoPort, false);
        return false;
    }
    converterAddress = address;
    disconnectReadyRead();
    write(bytesOf({address, 0x07, BusCode::kConverterProbe, 0xBB, 0xCC}));
    waitMs(kProbeWaitMs);
    if (socket->bytesAvailable() == 0)
        waitForSignal(socket.get(), &QTcpSocket::readyRead, kAnswerWaitMs);
    const QByteArray answer = socket->readAll();
    if (!answer.isEmpty())
        emit sig_DataReaded(kNoPort, kNoPort, answer);
    found = answer.size() >= BusFrame::kMinFrameBytes
            && answer.contains(bytesOf({address, 0x07, BusCode::kConverterProbe, 0xAB, 0xAC}));
    connectReadyRead();
    emit sig_PortFounded(kNoPort, kNoPort, found);
    return found;
}

void socketClient::flush(int timeoutMs)
{
    if (connected && socket->bytesToWrite() > 0)
        socket->waitForBytesWritten(timeoutMs);
}

void socketClient::slotConnected()
{
    connected = true;
    emit sig_Connected(kNoPort, kNoPort, true);
}

void socketClient::slotDisconnected()
{
    disconnect(socket.get(), &QTcpSocket::connected, this, &socketClient::slotConnected);
    disconnectReadyRead();
    disconnect(socket.get(), &QTcpSocket::errorOccurred, this, &socketClient::slotError);
    connected = false;
    found = false;
    emit sig_Connected(kNoPort, kNoPort, false);
    emit sig_PortFounded(kNoPort, 1, false);
}

void socketClient::slotError(QAbstractSocket::SocketError error)
{
    int code = kOtherError;
    switch (error) {
    case QAbstractSocket::HostNotFoundError: code = kHostNotFound; break;
    case QAbstractSocket::RemoteHostClosedError: code = kRemoteClosed; break;
    case QAbstractSocket::ConnectionRefusedError: code = kConnectionRefused; break;
    default: break;
    }
    emit sig_Error(kNoPort, code);
}

void socketClient::connectReadyRead()
{
    connect(socket.get(), &QTcpSocket::readyRead, this, &socketClient::slotReadyRead,
            Qt::UniqueConnection);
}

void socketClient::disconnectReadyRead()
{
    disconnect(socket.get(), &QTcpSocket::readyRead, this, &socketClient::slotReadyRead);
}
