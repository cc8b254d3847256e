#include "serialportdirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

namespace {

constexpr int kFirstPortNumber = 1;
constexpr int kLastPortNumber = 254;

// Devices held by a port object of this process. The operating system's
// exclusive lock does not stop root, so the converter search cannot rely on it.
struct ClaimRegistry
{
    QMutex mutex;
    QSet<QString> held;
};
Q_GLOBAL_STATIC(ClaimRegistry, claims)

// "COM7" gives 7; anything else, or a number outside 1..254, gives -1.
int numberFromName(const QString &name)
{
    if (!name.startsWith(QLatin1String("COM")))
        return -1;
    const QStringRef digits = name.midRef(3);
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('0')))
        return -1;
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    if (!ok || number < kFirstPortNumber || number > kLastPortNumber)
        return -1;
    return number;
}

QList<SerialPortEntry> portsOfFolder(const QString &folder)
{
    QList<SerialPortEntry> ports;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::System);
    for (const QFileInfo &entry : entries) {
        const int number = numberFromName(entry.fileName());
        // A dangling link is a device that is gone (a converter unplugged).
        const QString device = entry.canonicalFilePath();
        if (number < 0 || device.isEmpty())
            continue;
        ports.append({entry.fileName(), number, device});
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortEntry &a, const SerialPortEntry &b) { return a.number < b.number; });
    return ports;
}

QList<SerialPortEntry> portsOfMachine()
{
    QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo &a, const QSerialPortInfo &b) {
        return a.systemLocation() < b.systemLocation();
    });
    QList<SerialPortEntry> ports;
    for (const QSerialPortInfo &info : qAsConst(infos)) {
        const int number = kFirstPortNumber + ports.size();
        if (number > kLastPortNumber)
            break;
        ports.append({QStringLiteral("COM%1").arg(number), number, info.systemLocation()});
    }
    return ports;
}

} // namespace

namespace SerialPortDirectory {

QList<SerialPortEntry> availablePorts()
{
    const QString folder = qEnvironmentVariable(kEnvironmentVariable);
    return folder.isEmpty() ? portsOfMachine() : portsOfFolder(folder);
}

QString devicePath(const QString &portName)
{
    const QList<SerialPortEntry> ports = availablePorts();
    for (const SerialPortEntry &port : ports) {
        if (port.name == portName)
            return port.devicePath;
    }
    return QString();
}

bool claim(const QString &devicePath)
{
    if (devicePath.isEmpty())
        return false;
    QMutexLocker lock(&claims->mutex);
    if (claims->held.contains(devicePath))
        return false;
    claims->held.insert(devicePath);
    return true;
}

void release(const QString &devicePath)
{
    QMutexLocker lock(&claims->mutex);
    claims->held.remove(devicePath);
}

} // namespace SerialPortDirectory
