#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

// The cable between the program and one converter. It can be unplugged and
// plugged back; while unplugged the program's side of it fails.
class SimLine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool plug() = 0;
    virtual void unplug() = 0;
    virtual bool isPlugged() const = 0;
    // Where the program reaches the line: a device path or "127.0.0.1:port".
    virtual QString endpoint() const = 0;
    // Writes the bytes in one write to the client that sent `client`'s bytes
    // (0: every connected client).
    virtual void send(quintptr client, const QByteArray &bytes) = 0;

signals:
    void bytesReceived(quintptr client, const QByteArray &bytes);
};

// A pseudo-terminal pair in raw mode; the program opens the slave device.
// The simulator keeps the slave open too, so that the master side does not
// fail while the program has the port closed.
class SimPtyLine : public SimLine
{
    Q_OBJECT

public:
    using SimLine::SimLine;
    ~SimPtyLine() override;

    bool plug() override;
    void unplug() override;
    bool isPlugged() const override { return m_masterFd >= 0; }
    QString endpoint() const override { return m_slavePath; }
    void send(quintptr client, const QByteArray &bytes) override;

private:
    void readMaster();

    int m_masterFd = -1;
    int m_slaveFd = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr; // owned; deleted on unplug
};

// The network converter: a TCP server on the loopback address.
class SimTcpLine : public SimLine
{
    Q_OBJECT

public:
    // port 0 picks a free port on the first plug and keeps it afterwards.
    explicit SimTcpLine(quint16 port, QObject *parent = nullptr);
    ~SimTcpLine() override;

    bool plug() override;
    void unplug() override;
    bool isPlugged() const override;
    QString endpoint() const override;
    void send(quintptr client, const QByteArray &bytes) override;
    quint16 port() const { return m_port; }

private:
    void acceptClients();

    quint16 m_port = 0;
    QTcpServer *m_server = nullptr; // owned by this object
    QList<QTcpSocket *> m_clients;  // children of this object
};
