#pragma once

#include "busframe.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QSet>
#include <QString>

// One serial line to one bus converter: finds its converter among the serial
// ports that SerialPortDirectory offers, writes frames with their CRC (only to
// addresses that answered through it, when asked to check) and cuts the
// answer frames out of what it receives.
class COMPort : public QObject
{
    Q_OBJECT

public:
    COMPort();
    ~COMPort() override;

    int getId() const { return id; }
    void setId(int portId) { id = portId; }
    int getComNum() const { return comNum; }
    bool isFound() const { return serial.isOpen() && found; }

    bool open(const QString &portName);
    void close();
    bool write(const QByteArray &frame, bool check);
    bool findPort();
    bool testPort(quint8 address);
    bool hasAddress(quint8 address) const { return learnedAddresses.contains(address); }
    void removeAddress(quint8 address) { learnedAddresses.remove(address); }
    void moveSerialToThread();
    // Blocks until the frames written so far have left for the device.
    void flush(int timeoutMs);

    // "COM7" gives 7; a name without "COM", or with no number after it, gives -1.
    static int parseComNumber(const QString &portName);

public slots:
    void ReadData();

signals:
    void sig_Answer(int id, int comNum, QByteArray frame);
    void sig_DataReaded(int id, int comNum, QByteArray bytes);
    void sig_DataWrited(int id, int comNum, QByteArray bytes);
    void sig_Error(int id, int code);
    void sig_PortFounded(int num, int comNum, bool found);

private:
    void connectRead();
    void disconnectRead();
    QByteArray readAllNow();
    QByteArray probeAnswer(const QByteArray &probe);
    void deliver(const QList<QByteArray> &frames);

    int id = -1;
    quint8 converterAddress = BusAddress::kSerialConverter;
    QSerialPort serial; // closed until open(); not a child, moved by moveSerialToThread()
    bool found = false;
    int comNum = -1;
    FrameReader buffer;
    QSet<quint8> learnedAddresses;
    bool readConnected = false;
    QString claimedPath; // device this port holds in SerialPortDirectory, empty when none
};
