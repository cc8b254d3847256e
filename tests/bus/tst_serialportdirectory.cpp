#include "serialportdirectory.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSerialPortDirectory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void folderEntriesInNumberOrder();
    void devicePathByName();
    void claimHoldsDeviceUntilReleased();

private:
    QTemporaryDir *m_devices = nullptr; // owned; stands for /dev
    QTemporaryDir *m_links = nullptr;   // owned; the folder of COMn links
    QString device(const QString &name) const { return m_devices->filePath(name); }
    void link(const QString &target, const QString &linkName) const
    {
        QVERIFY(QFile::link(target, m_links->filePath(linkName)));
    }
};

void TestSerialPortDirectory::init()
{
    m_devices = new QTemporaryDir;
    m_links = new QTemporaryDir;
    for (const char *name : {"ttyA", "ttyB", "ttyC", "ttyD"}) {
        QFile file(device(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv(SerialPortDirectory::kEnvironmentVariable, m_links->path().toLocal8Bit());
}

void TestSerialPortDirectory::cleanup()
{
    qunsetenv(SerialPortDirectory::kEnvironmentVariable);
    delete m_links;
    delete m_devices;
    m_links = m_devices = nullptr;
}

void TestSerialPortDirectory::folderEntriesInNumberOrder()
{
    link(device("ttyA"), "COM10"); // numeric order, not text order: after COM2
    link(device("ttyB"), "COM2");
    link(device("ttyC"), "COM254");
    link(device("ttyD"), "COM255");                // beyond the last port number
    link(device("ttyD"), "COM0");                  // before the first
    link(device("ttyD"), "COM03");                 // not how the program writes a number
    link(device("ttyD"), "ttyS0");                 // not a COM name
    link(m_devices->filePath("gone"), "COM5");     // a device that has disappeared

    const QList<SerialPortEntry> ports = SerialPortDirectory::availablePorts();
    QCOMPARE(ports.size(), 3);
    QCOMPARE(ports.at(0).name, QStringLiteral("COM2"));
    QCOMPARE(ports.at(0).number, 2);
    QCOMPARE(ports.at(0).devicePath, QFileInfo(device("ttyB")).canonicalFilePath());
    QCOMPARE(ports.at(1).number, 10);
    QCOMPARE(ports.at(2).number, 254);
}

void TestSerialPortDirectory::devicePathByName()
{
    link(device("ttyC"), "COM3");
    QCOMPARE(SerialPortDirectory::devicePath("COM3"), QFileInfo(device("ttyC")).canonicalFilePath());
    QVERIFY(SerialPortDirectory::devicePath("COM4").isEmpty());
    QVERIFY(SerialPortDirectory::devicePath("com3").isEmpty());
}

void TestSerialPortDirectory::claimHoldsDeviceUntilReleased()
{
    const QString a = device("ttyA");
    const QString b = device("ttyB");
    QVERIFY(SerialPortDirectory::claim(a));
    QVERIFY(!SerialPortDirectory::claim(a)); // a second holder is refused
    QVERIFY(SerialPortDirectory::claim(b));  // other devices are independent
    SerialPortDirectory::release(a);
    QVERIFY(SerialPortDirectory::claim(a));
    SerialPortDirectory::release(a);
    SerialPortDirectory::release(b);
    QVERIFY(!SerialPortDirectory::claim(QString()));
}

QTEST_MAIN(TestSerialPortDirectory)
#include "tst_serialportdirectory.moc"
