#pragma once

#include "busframe.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

#include <memory>

// The link to a network converter over TCP: the same frames as a serial line,
// written with their CRC to every address and cut out of the received bytes
// by their CRC. Its signals carry -1 as port id and COM number.
class socketClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultPort = 8080;

    socketClient();
    ~socketClient() override;

    bool isFound() const { return found; }
    bool isConnected() const { return connected; }

    void setHost(const QString &hostAddress, int tcpPort, quint8 address, bool connectNow);
    void connectToHost();
    void disconnectFromHost();
    void moveSocketToThread();
    bool write(const QByteArray &frame);
    bool findConverter(quint8 address);
    // Blocks until the frames written so far have left for the converter.
    void flush(int timeoutMs);

public slots:
    void slotReadyRead();
    void slotError(QAbstractSocket::SocketError error);
    void slotConnected();
    void slotDisconnected();

signals:
    void sig_Answer(int id, int comNum, QByteArray frame);
    void sig_DataReaded(int id, int comNum, QByteArray bytes);
    void sig_DataWrited(int id, int comNum, QByteArray bytes);
    void sig_Error(int id, int code);
    void sig_PortFounded(int id, int comNum, bool found);
    void sig_Connected(int id, int comNum, bool connected);

private:
    void connectReadyRead();
    void disconnectReadyRead();
    void deliver(const QList<QByteArray> &frames);

    std::unique_ptr<QTcpSocket> socket; // owned; no parent so it can move threads on its own
    QString host;
    int port = kDefaultPort;
    quint8 converterAddress = BusAddress::kNetworkConverter;
    bool found = false;
    bool connected = false;
    FrameReader buffer;
};
