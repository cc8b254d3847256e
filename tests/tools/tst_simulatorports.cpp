// The program's serial-port list finds the simulator's converters through the
// folder its environment variable names.
#include "serialportdirectory.h"
#include "simframe.h"
#include "simulatorthread.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

class TestSimulatorPorts : public QObject
{
    Q_OBJECT

private slots:
    void portsFollowTheCables();
};

void TestSimulatorPorts::portsFollowTheCables()
{
    QTemporaryDir dir;
    SimulatorThread sim;
    QVERIFY(sim.call([&](RangeSimulator &s) { return s.setComDirectory(dir.path()); }));
    QCOMPARE(sim.call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(sim.call([](RangeSimulator &s) { return s.addSerialConverter({3}); }), 1);
    const QByteArray previous = qgetenv(SerialPortDirectory::kEnvironmentVariable);
    qputenv(SerialPortDirectory::kEnvironmentVariable, dir.path().toLocal8Bit());
    auto names = [] {
        QStringList list;
        for (const SerialPortEntry &entry : SerialPortDirectory::availablePorts())
            list << QStringLiteral("%1=%2").arg(entry.name).arg(entry.number);
        return list;
    };

    QCOMPARE(names(), QStringList({QStringLiteral("COM1=1"), QStringLiteral("COM2=2")}));
    const QString device = SerialPortDirectory::devicePath(QStringLiteral("COM2"));
    QCOMPARE(QFileInfo(device).canonicalFilePath(),
             QFileInfo(sim.call([](RangeSimulator &s) { return s.endpoint(1); })).canonicalFilePath());

    // The device the list gives is the converter: it answers the probe.
    QSerialPort port;
    port.setPortName(device);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    port.write(SimFrame::withCrc(QByteArray::fromHex("00079FBBCC")));
    QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), qint64(7), 3000);
    QCOMPARE(port.readAll().toHex(' '), QByteArray("00 07 9f ab ac 6a 17"));
    port.close();

    // Unplugged, a converter leaves the list; plugged back, it returns under its name.
    sim.call([](RangeSimulator &s) { s.unplug(0); });
    QCOMPARE(names(), QStringList({QStringLiteral("COM2=2")}));
    sim.call([](RangeSimulator &s) { s.replug(0); });
    QCOMPARE(names(), QStringList({QStringLiteral("COM1=1"), QStringLiteral("COM2=2")}));

    if (previous.isNull())
        qunsetenv(SerialPortDirectory::kEnvironmentVariable);
    else
        qputenv(SerialPortDirectory::kEnvironmentVariable, previous);
}

QTEST_MAIN(TestSimulatorPorts)
#include "tst_simulatorports.moc"
