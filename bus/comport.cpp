#include "comport.h"

#include "serialportdirectory.h"
#include "waitms.h"

#include <QElapsedTimer>

namespace {

constexpr int kBaudRate = 19200;
constexpr int kProbeWaitMs = 100;
constexpr int kCheckAnswerBytes = 7; // the five bytes looked for and a CRC after them

} // namespace

COMPort::COMPort()
{
    connectRead();
    // A device that is gone (a converter unplugged) keeps failing every read
    // and write as fast as the event loop turns: a write meets a resource
    // error, a read the end of the line (a read error) while nothing is
    // written. Let it go until the next search finds it again, and say at
    // once that its converter is lost, so that nothing is taken as written to
    // it in the 30 s before its silence would tell.
    connect(&serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
            return;
        const bool wasFound = isFound();
        close();
        if (wasFound)
            emit sig_PortFounded(id, comNum, false);
    });
}

COMPort::~COMPort()
{
    close();
}

int COMPort::parseComNumber(const QString &portName)
{
    if (!portName.contains(QLatin1String("COM")))
        return -1;
    QString rest = portName;
    rest.remove(QLatin1String("COM"));
    bool ok = false;
    const int number = rest.toInt(&ok, 10);
    return ok ? number : -1;
}

bool COMPort::open(const QString &portName)
{
    close();
    const QString path = SerialPortDirectory::devicePath(portName);
    if (path.isEmpty() || !SerialPortDirectory::claim(path))
        return false;
    serial.setPortName(path);
    serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    serial.setDataBits(QSerialPort::Data8);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setParity(QSerialPort::NoParity);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!serial.open(QIODevice::ReadWrite)) {
        SerialPortDirectory::release(path);
        return false;
    }
    claimedPath = path;
    comNum = parseComNumber(portName);
    buffer.clear(); // bytes of an earlier device cannot complete a frame of this one
    return true;
}

void COMPort::close()
{
    comNum = -1;
    found = false;
    if (serial.isOpen())
        serial.close();
    if (!claimedPath.isEmpty()) {
        SerialPortDirectory::release(claimedPath);
        claimedPath.clear();
    }
}

bool COMPort::write(const QByteArray &frame, bool check)
{
    if (check && !frame.isEmpty()) {
        const quint8 address = static_cast<quint8>(frame.at(0));
        if (!BusAddress::isBroadcast(address) && address != converterAddress && !learnedAddresses.contains(address))
            return true; // nobody behind this converter has that address
    }
    if (!serial.isOpen() || frame.isEmpty())
        return false;
    // Whatever a unit was saying on this line is over once the master speaks.
    deliver(buffer.lineTurned());
    const QByteArray bytes = frameWithCrc(frame);
    if (serial.write(bytes) < bytes.size()) {
        emit sig_Error(id, 1);
        return false;
    }
    // The gaps between frames are kept between these calls: the bytes should
    // leave now, not when the event loop next turns.
    serial.flush();
    if (!serial.isOpen()) { // the device vanished under this write
        emit sig_Error(id, 1);
        return false;
    }
    emit sig_DataWrited(id, comNum, bytes);
    return true;
}

void COMPort::ReadData()
{
    if (!serial.isOpen())
        return;
    const QByteArray bytes = serial.readAll();
    if (bytes.isEmpty())
        return;
    emit sig_DataReaded(id, comNum, bytes);
    deliver(buffer.receive(bytes));
}

void COMPort::deliver(const QList<QByteArray> &frames)
{
    for (const QByteArray &frame : frames) {
        learnedAddresses.insert(static_cast<quint8>(frame.at(0)));
        emit sig_Answer(id, comNum, frame);
    }
}

QByteArray COMPort::readAllNow()
{
    const QByteArray bytes = serial.readAll();
    if (!bytes.isEmpty())
        emit sig_DataReaded(id, comNum, bytes);
    return bytes;
}

QByteArray COMPort::probeAnswer(const QByteArray &probe)
{
    write(probe, false);
    waitMs(kProbeWaitMs);
    return readAllNow();
}

bool COMPort::findPort()
{
    // The probes read the device themselves, so their answers stay out of the buffer.
    disconnectRead();
    const quint8 c = converterAddress;
    const QByteArray probe = bytesOf({c, 0x07, BusCode::kConverterProbe, 0xBB, 0xCC});
    const QByteArray expected = bytesOf({c, 0x07, BusCode::kConverterProbe, 0xAB, 0xAC});
    close();
    const QList<SerialPortEntry> candidates = SerialPortDirectory::availablePorts();
    for (const SerialPortEntry &candidate : candidates) {
        if (!open(candidate.name))
            continue;
        const QByteArray answer = probeAnswer(probe);
        if (answer.size() >= BusFrame::kMinFrameBytes && answer.contains(expected)) {
            found = true;
            break;
        }
        close();
    }
    if (found) {
        found = testPort(converterAddress);
        if (found)
            connectRead();
    }
    emit sig_PortFounded(id, comNum, found);
    return found;
}

bool COMPort::testPort(quint8 address)
{
    const quint8 c = converterAddress;
    const QByteArray answer = probeAnswer(bytesOf({c, 0x07, BusCode::kConverterCheck, 0x7C, 0xD4}));
    const QByteArray expected = bytesOf({c, 0x07, BusCode::kConverterCheck, 0x7C, address});
    if (answer.size() < kCheckAnswerBytes)
        return false;
    for (int i = answer.indexOf(expected); i >= 0; i = answer.indexOf(expected, i + 1)) {
        if (i + kCheckAnswerBytes <= answer.size())
            return true;
    }
    return false;
}

void COMPort::moveSerialToThread()
{
    serial.moveToThread(thread());
}

void COMPort::flush(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (serial.isOpen() && serial.bytesToWrite() > 0 && clock.elapsed() < timeoutMs) {
        if (!serial.waitForBytesWritten(static_cast<int>(timeoutMs - clock.elapsed())))
            break;
    }
}

void COMPort::connectRead()
{
    if (readConnected)
        return;
    connect(&serial, &QSerialPort::readyRead, this, &COMPort::ReadData);
    readConnected = true;
}

void COMPort::disconnectRead()
{
    if (!readConnected)
        return;
    disconnect(&serial, &QSerialPort::readyRead, this, &COMPort::ReadData);
    readConnected = false;
}
