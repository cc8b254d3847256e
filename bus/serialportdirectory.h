#pragma once

#include <QList>
#include <QString>

// The serial ports the converter search may try, named "COM%1" as the range
// program names them, with the device file that is really opened.
struct SerialPortEntry
{
    QString name;       // "COM%1"
    int number = -1;    // 1 to 254
    QString devicePath; // what QSerialPort opens
};

namespace SerialPortDirectory {

// When set, names a folder whose entries "COM1", "COM2", ... are links to
// devices (for example pseudo-terminals of the range simulator); only those are
// offered, in number order. When unset, the machine's serial ports are offered,
// numbered in a stable order.
constexpr const char kEnvironmentVariable[] = "RANGE_COM_DIR";

QList<SerialPortEntry> availablePorts();

// Device path for a name of availablePorts(); empty when the name is unknown.
QString devicePath(const QString &portName);

// One holder per device at a time, within this process: claim() fails while
// another port object holds the device. Safe to call from any thread.
bool claim(const QString &devicePath);
void release(const QString &devicePath);

} // namespace SerialPortDirectory
