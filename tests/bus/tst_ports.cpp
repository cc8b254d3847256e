// The serial port and the port set on their own: what a write reports when
// the bytes reach no converter.

#include "busframe.h"
#include "comport.h"
#include "serialportdirectory.h"
#include "simline.h"
#include "targetio.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestPorts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writeToVanishedDeviceFails();
    void vanishedDeviceIsLetGo();
    void writeWithoutConverterFails();

private:
    QTemporaryDir *m_links = nullptr; // owned; the folder of COMn links
};

void TestPorts::init()
{
    m_links = new QTemporaryDir;
    qputenv(SerialPortDirectory::kEnvironmentVariable, m_links->path().toLocal8Bit());
}

void TestPorts::cleanup()
{
    qunsetenv(SerialPortDirectory::kEnvironmentVariable);
    delete m_links;
    m_links = nullptr;
}

void TestPorts::writeToVanishedDeviceFails()
{
    SimPtyLine line;
    QVERIFY(line.plug());
    QVERIFY(QFile::link(line.endpoint(), m_links->filePath(QStringLiteral("COM1"))));
    COMPort port;
    port.setId(1);
    QVERIFY(port.open(QStringLiteral("COM1")));
    QSignalSpy errors(&port, &COMPort::sig_Error);
    QSignalSpy written(&port, &COMPort::sig_DataWrited);
    const QByteArray stopAll = bytesOf({0xEA, 0x05, 0xA1});
    QVERIFY(port.write(stopAll, false));
    QCOMPARE(written.size(), 1);

    // Pulled before the port has heard of it: the write itself meets the gap.
    line.unplug();
    QVERIFY(!port.write(stopAll, false));
    QCOMPARE(written.size(), 1);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first(), (QVariantList{1, 1})); // (id, short write)
}

void TestPorts::vanishedDeviceIsLetGo()
{
    SimPtyLine line;
    QVERIFY(line.plug());
    QVERIFY(QFile::link(line.endpoint(), m_links->filePath(QStringLiteral("COM4"))));
    COMPort port;
    QVERIFY(port.open(QStringLiteral("COM4")));
    QCOMPARE(port.getComNum(), 4);
    // Nothing is written: only the reading side can tell that the line is
    // gone, and it keeps telling as fast as the event loop turns.
    line.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(port.getComNum(), -1, 5000);
}

void TestPorts::writeWithoutConverterFails()
{
    TargetIO io;
    io.init(TargetIO::SerialMode, false, QString(), socketClient::kDefaultPort, BusAddress::kNetworkConverter);
    QVERIFY(!io.write(bytesOf({0xEA, 0x05, 0xA1}), true));
    QVERIFY(!io.write(bytesOf({0xEA, 0x05}), true)); // too short to be a frame
}

QTEST_MAIN(TestPorts)
#include "tst_ports.moc"
