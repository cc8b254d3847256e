#pragma once

#include "busline.h"
#include "comport.h"
#include "socketclient.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>

// The port set between the bus master and its transports: five serial ports
// (ids 1 to 5) in serial mode, or the TCP client in TCP mode. A lane address
// is learned only by the port it last answered through, so checked frames for
// a lane go out on that port alone while broadcasts go out on every port.
class TargetIO : public QObject, public BusLine
{
    Q_OBJECT

public:
    enum Mode { SerialMode = 0, TcpMode = 1 };
    static constexpr int kPortCount = 5;

    explicit TargetIO(QObject *parent = nullptr);
    ~TargetIO() override;

    int getMode() const { return mode; }
    void init(int ioMode, bool connectNow, const QString &host, int port, int address);
    void moveToWorkerThread();
    bool write(const QByteArray &frame, bool check) override;
    bool writeTo(int portId, const QByteArray &frame, bool check) override;
    int refindPort(int portId) override;
    int findMissing() override;
    // Blocks until every written frame has left for its converter.
    void flush(int timeoutMs) override;

public slots:
    void slot_emu_Answer(int portId, int comNum, QByteArray frame);
    void slot_emu_Readed(int portId, int comNum, QByteArray bytes);
    void slot_emu_Wrote(int portId, int comNum, QByteArray bytes);
    void slot_emu_Error(int portId, int code);
    void slot_emu_Founded(int portId, int comNum, bool found);

signals:
    void sig_Answer(int portId, int comNum, QByteArray frame);
    void sig_DataReaded(int portId, int comNum, QByteArray bytes);
    void sig_DataWrited(int portId, int comNum, QByteArray bytes);
    void sig_Error(int portId, int code);
    void sig_PortFounded(int id, int comNum, bool found);

private:
    int foundCount() const;
    int searchClient();

    int mode = SerialMode;
    std::array<COMPort, kPortCount> ports; // destroyed after the client
    socketClient client;
};
