#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <initializer_list>

// Frame of the range bus: address, length (CRC included), code, data, then the
// CRC-16/MODBUS low byte and high byte. Frames are built and queued without
// their CRC; the port appends it when it writes.

namespace BusAddress {
constexpr quint8 kAllTargets = 0xEA;
constexpr quint8 kAllTerminals = 0x9F;
constexpr quint8 kSerialConverter = 0;
constexpr quint8 kNetworkConverter = 31; // until a converter search sets 0
} // namespace BusAddress

namespace BusCode {
constexpr quint8 kConverterProbe = 0x9F;
constexpr quint8 kConverterCheck = 0x9E;
constexpr quint8 kStart = 0xA0;
constexpr quint8 kStop = 0xA1;
constexpr quint8 kResetMemory = 0xA2;
constexpr quint8 kReadBullet = 0xA3;
constexpr quint8 kTargetAck = 0xA5;
constexpr quint8 kCluster = 0xA6;
constexpr quint8 kTargetEnable = 0xAA;
constexpr quint8 kTerminalStopAll = 0x31;
constexpr quint8 kTerminalStage = 0x32;
constexpr quint8 kTerminalBullet = 0x33;
constexpr quint8 kTerminalQuery = 0x34;
constexpr quint8 kTerminal35 = 0x35;
constexpr quint8 kTerminalEventType = 0x36;
constexpr quint8 kTerminalStartNumber = 0x37;
constexpr quint8 kTerminal38 = 0x38;
constexpr quint8 kTerminalSeriesResult = 0x39;
constexpr quint8 kTerminal40 = 0x40;

// Codes above this one concern a lane's target unit, the others its terminal.
constexpr quint8 kLastTerminalCode = 0x9E;
// Pending commands with codes above this one come first in a lane's list and
// end its turn without a poll.
constexpr quint8 kFirstPendingAbove = 99;
} // namespace BusCode

namespace BusFrame {
constexpr int kCrcBytes = 2;
constexpr int kMinFrameBytes = 5; // address, length, code and the CRC
constexpr int kHeaderBytes = 3;
// Received bytes kept while no frame completes; a protocol frame counts its
// own length in one byte, so only the newest 254 bytes can still start one.
constexpr int kBufferLimit = 799;
constexpr int kMaxFrameBytes = 255;
} // namespace BusFrame

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF, no final XOR) over
// `length` bytes from `start`; 0xFFFF for an empty range.
quint16 crc16Modbus(const QByteArray &data, int start, int length);

// The frame followed by its CRC, low byte first: the bytes put on the wire.
QByteArray frameWithCrc(const QByteArray &frame);

// Whether the window's last two bytes are the CRC of the bytes before them;
// a window outside the buffer or shorter than a frame never checks.
bool frameChecks(const QByteArray &buffer, int start, int length);

// Cuts every frame out of the buffer, oldest first, and drops the bytes in
// front of each (they can no longer begin a frame); bytes after the last frame
// stay for the next read. A frame is a window of 5 to 255 bytes whose CRC
// checks, found by the byte it ends on. It is taken at once when its length
// byte counts it and it begins right after the last frame or at the start.
// Before that, the length bytes in front of it are asked: one that announces
// a frame around it gives that frame when it has come whole and checks, and
// the search waits while its bytes may still come. Any other window waits
// until no longer frame can enclose it (255 bytes on, or the line turned
// after these bytes), and then the checking window around it that ends
// latest wins.
QList<QByteArray> extractFrames(QByteArray &buffer, bool lineTurned = false);

// The receiving side of one line: bytes not yet taken into a frame. No frame
// spans a turn of the line, so the buffer holds only bytes that came since
// the master last wrote.
class FrameReader
{
public:
    // Appends the bytes read, after trimming an overfull buffer to the bytes
    // that may still begin a frame, and returns the frames completed.
    QList<QByteArray> receive(const QByteArray &bytes);
    // The master is about to write on the line, so no frame begun on it can
    // go on: returns the frames that were waiting for more bytes, and forgets
    // the rest.
    QList<QByteArray> lineTurned();
    void clear();
    const QByteArray &bytes() const { return buffer; }

private:
    QByteArray buffer;
};

// Big-endian helpers over received frames; bytes past the end read as 0.
int frameByte(const QByteArray &frame, int index);

// A frame (or any byte string) from byte values, e.g. bytesOf({0xEA, 0x05, 0xA1}).
QByteArray bytesOf(std::initializer_list<int> values);
