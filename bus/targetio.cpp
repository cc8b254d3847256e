#include "targetio.h"

TargetIO::TargetIO(QObject *parent)
    : QObject(parent)
{
    for (int i = 0; i < kPortCount; ++i)
        ports[static_cast<size_t>(i)].setId(i + 1);
}

TargetIO::~TargetIO() = default;

void TargetIO::init(int ioMode, bool connectNow, const QString &host, int port, int address)
{
    mode = ioMode;
    if (mode == SerialMode) {
        for (COMPort &serialPort : ports) {
            connect(&serialPort, &COMPort::sig_Answer, this, &TargetIO::slot_emu_Answer);
            connect(&serialPort, &COMPort::sig_DataReaded, this, &TargetIO::slot_emu_Readed);
            connect(&serialPort, &COMPort::sig_DataWrited, this, &TargetIO::slot_emu_Wrote);
            connect(&serialPort, &COMPort::sig_Error, this, &TargetIO::slot_emu_Error);
            connect(&serialPort, &COMPort::sig_PortFounded, this, &TargetIO::slot_emu_Founded);
        }
        return;
    }
    connect(&client, &socketClient::sig_Answer, this, &TargetIO::slot_emu_Answer);
    connect(&client, &socketClient::sig_DataReaded, this, &TargetIO::slot_emu_Readed);
    connect(&client, &socketClient::sig_DataWrited, this, &TargetIO::slot_emu_Wrote);
    connect(&client, &socketClient::sig_Error, this, &TargetIO::slot_emu_Error);
    connect(&client, &socketClient::sig_PortFounded, this, &TargetIO::slot_emu_Founded);
    connect(&client, &socketClient::sig_Connected, this, &TargetIO::slot_emu_Founded);
    client.setHost(host, port, static_cast<quint8>(address), connectNow);
}

void TargetIO::moveToWorkerThread()
{
    if (mode == SerialMode) {
        for (COMPort &serialPort : ports) {
            serialPort.moveToThread(thread());
            serialPort.moveSerialToThread();
        }
        return;
    }
    client.moveToThread(thread());
    client.moveSocketToThread();
}

bool TargetIO::write(const QByteArray &frame, bool check)
{
    if (frame.size() < BusFrame::kHeaderBytes)
        return false;
    if (mode == TcpMode)
        return client.write(frame);
    // A frame that reached no converter is not written: taken for written, a
    // start would be reported to the exercise while no target heard it.
    bool reached = false;
    for (COMPort &serialPort : ports) {
        if (!serialPort.isFound())
            continue;
        if (!serialPort.write(frame, check))
            return false;
        reached = true;
    }
    return reached;
}

bool TargetIO::writeTo(int portId, const QByteArray &frame, bool check)
{
    if (frame.size() < BusFrame::kHeaderBytes)
        return false;
    if (mode == TcpMode)
        return client.write(frame);
    for (COMPort &serialPort : ports) {
        if (serialPort.getId() == portId)
            return serialPort.isFound() && serialPort.write(frame, check);
    }
    return false;
}

int TargetIO::refindPort(int portId)
{
    // The network converter counts as found once it answered its probe, so a
    // target search over TCP can end like one over serial ports.
    if (mode == TcpMode)
        return searchClient();
    for (COMPort &serialPort : ports) {
        if (serialPort.getId() == portId)
            serialPort.findPort();
    }
    return foundCount();
}

int TargetIO::findMissing()
{
    if (mode == TcpMode)
        return client.isFound() ? 1 : searchClient();
    for (COMPort &serialPort : ports) {
        if (!serialPort.isFound())
            serialPort.findPort();
    }
    return foundCount();
}

void TargetIO::flush(int timeoutMs)
{
    if (mode == TcpMode) {
        client.flush(timeoutMs);
        return;
    }
    for (COMPort &serialPort : ports)
        serialPort.flush(timeoutMs);
}

int TargetIO::foundCount() const
{
    int count = 0;
    for (const COMPort &serialPort : ports) {
        if (serialPort.isFound())
            ++count;
    }
    return count;
}

int TargetIO::searchClient()
{
    return client.findConverter(BusAddress::kSerialConverter) ? 1 : 0;
}

void TargetIO::slot_emu_Answer(int portId, int comNum, QByteArray frame)
{
    for (COMPort &serialPort : ports) {
        if (serialPort.getId() != portId && !frame.isEmpty())
            serialPort.removeAddress(static_cast<quint8>(frame.at(0)));
    }
    emit sig_Answer(portId, comNum, frame);
}

void TargetIO::slot_emu_Readed(int portId, int comNum, QByteArray bytes)
{
    emit sig_DataReaded(portId, comNum, bytes);
}

void TargetIO::slot_emu_Wrote(int portId, int comNum, QByteArray bytes)
{
    emit sig_DataWrited(portId, comNum, bytes);
}

void TargetIO::slot_emu_Error(int portId, int code)
{
    emit sig_Error(portId, code);
}

void TargetIO::slot_emu_Founded(int portId, int comNum, bool found)
{
    emit sig_PortFounded(portId, comNum, found);
}
